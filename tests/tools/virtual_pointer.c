// A pointer for end-to-end tests on a wlroots compositor (sway): the
// headless backend has no input devices, and the compositor's own cursor
// commands reach no client while the seat has no pointer, so this client
// makes one through the wlr-virtual-pointer-unstable-v1 protocol and moves
// and clicks it as a person would.
//
// Usage: virtual_pointer [STEP...]
//   STEP is one of: move X Y (in the output's coordinates, the first
//   output's), press, release, click (press and release of the left button).
//   With steps on the command line it carries them out and ends. Without, it
//   reads lines of steps from standard input until its end and answers each
//   line with "ok" once the compositor has handled all of it, or with
//   "error: WHY"; so a test keeps one pointer for its whole run (the seat
//   then has a pointer before the program under test starts, and no click
//   meets a client that has only just been told of a new pointer).
// It exits 1 when the compositor offers no virtual pointer or no output.
#define _POSIX_C_SOURCE 200809L
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

// The left button's code in linux/input-event-codes.h.
enum { BUTTON_LEFT = 0x110 };

struct state {
    struct wl_seat* seat;
    struct wl_output* output;
    struct zwlr_virtual_pointer_manager_v1* manager;
    uint32_t manager_version;
    int32_t mode_width, mode_height, scale;
    struct zwlr_virtual_pointer_v1* pointer;
};

static void output_geometry(void* data, struct wl_output* output, int32_t x, int32_t y, int32_t physical_width,
                            int32_t physical_height, int32_t subpixel, const char* make, const char* model,
                            int32_t transform) {
    (void)data, (void)output, (void)x, (void)y, (void)physical_width, (void)physical_height, (void)subpixel;
    (void)make, (void)model, (void)transform;
}

static void output_mode(void* data, struct wl_output* output, uint32_t flags, int32_t width, int32_t height,
                        int32_t refresh) {
    (void)output, (void)refresh;
    struct state* s = data;
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        s->mode_width = width;
        s->mode_height = height;
    }
}

static void output_done(void* data, struct wl_output* output) { (void)data, (void)output; }

static void output_scale(void* data, struct wl_output* output, int32_t factor) {
    (void)output;
    ((struct state*)data)->scale = factor;
}

static const struct wl_output_listener output_listener = {
    .geometry = output_geometry, .mode = output_mode, .done = output_done, .scale = output_scale};

static void global_added(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                         uint32_t version) {
    struct state* s = data;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !s->seat) {
        s->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, wl_output_interface.name) == 0 && !s->output) {
        s->output = wl_registry_bind(registry, name, &wl_output_interface, version < 2 ? version : 2);
        wl_output_add_listener(s->output, &output_listener, s);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        s->manager_version = version < 2 ? version : 2;
        s->manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, s->manager_version);
    }
}

static void global_removed(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {.global = global_added, .global_remove = global_removed};

static uint32_t now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)((uint64_t)t.tv_sec * 1000u + (uint64_t)t.tv_nsec / 1000000u);
}

static int parse_coordinate(const char* word, long most, uint32_t* out) {
    char* end = NULL;
    long v = word ? strtol(word, &end, 10) : -1;
    if (!word || *end || v < 0 || v > most) return 0;
    *out = (uint32_t)v;
    return 1;
}

static void button(struct state* s, uint32_t state) {
    zwlr_virtual_pointer_v1_button(s->pointer, now_ms(), BUTTON_LEFT, state);
    zwlr_virtual_pointer_v1_frame(s->pointer);
}

// Carries out the steps in words[0..count); on a step it does not know, or a
// position outside the output, says why in why and returns 0.
static int run_steps(struct state* s, char** words, int count, char* why, size_t why_size) {
    uint32_t width = (uint32_t)(s->mode_width / s->scale), height = (uint32_t)(s->mode_height / s->scale);
    for (int i = 0; i < count; i++) {
        const char* step = words[i];
        if (strcmp(step, "move") == 0) {
            uint32_t x, y;
            if (i + 2 >= count) {
                snprintf(why, why_size, "move needs X and Y");
                return 0;
            }
            if (!parse_coordinate(words[i + 1], (long)width - 1, &x) ||
                !parse_coordinate(words[i + 2], (long)height - 1, &y)) {
                snprintf(why, why_size, "move %s %s is not inside the %ux%u output", words[i + 1], words[i + 2], width,
                         height);
                return 0;
            }
            zwlr_virtual_pointer_v1_motion_absolute(s->pointer, now_ms(), x, y, width, height);
            zwlr_virtual_pointer_v1_frame(s->pointer);
            i += 2;
        } else if (strcmp(step, "press") == 0) {
            button(s, WL_POINTER_BUTTON_STATE_PRESSED);
        } else if (strcmp(step, "release") == 0) {
            button(s, WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (strcmp(step, "click") == 0) {
            button(s, WL_POINTER_BUTTON_STATE_PRESSED);
            button(s, WL_POINTER_BUTTON_STATE_RELEASED);
        } else {
            snprintf(why, why_size, "unknown step \"%s\" (move X Y, press, release, click)", step);
            return 0;
        }
    }
    return 1;
}

int main(int argc, char** argv) {
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtual_pointer: cannot connect to the Wayland display\n");
        return 1;
    }
    struct state s = {.scale = 1};
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &s);
    // The globals, then the output's events.
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    if (!s.manager || !s.output || s.mode_width <= 0 || s.mode_height <= 0 || s.scale <= 0) {
        fprintf(stderr, "virtual_pointer: the compositor offers %s\n",
                !s.manager ? "no zwlr_virtual_pointer_manager_v1" : "no output with a current mode");
        return 1;
    }
    // Mapped to the output, so that positions are the output's.
    s.pointer = s.manager_version >= 2
                    ? zwlr_virtual_pointer_manager_v1_create_virtual_pointer_with_output(s.manager, s.seat, s.output)
                    : zwlr_virtual_pointer_manager_v1_create_virtual_pointer(s.manager, s.seat);
    if (wl_display_roundtrip(display) < 0) {
        fprintf(stderr, "virtual_pointer: the compositor refused the pointer\n");
        return 1;
    }

    char why[200];
    int status = 0;
    if (argc > 1) {
        if (!run_steps(&s, argv + 1, argc - 1, why, sizeof why)) {
            fprintf(stderr, "virtual_pointer: %s\n", why);
            status = 2;
        }
        if (wl_display_roundtrip(display) < 0) status = 1;
    } else {
        char* line = NULL;
        size_t size = 0;
        setvbuf(stdout, NULL, _IOLBF, 0);
        while (getline(&line, &size, stdin) >= 0) {
            char* words[64];
            int count = 0;
            for (char* w = strtok(line, " \t\r\n"); w && count < 64; w = strtok(NULL, " \t\r\n")) words[count++] = w;
            int done = run_steps(&s, words, count, why, sizeof why);
            // Whatever was sent before a bad step still counts: answered
            // only once the compositor has handled it.
            if (wl_display_roundtrip(display) < 0) {
                printf("error: the connection to the compositor broke\n");
                status = 1;
                break;
            }
            if (done)
                printf("ok\n");
            else
                printf("error: %s\n", why);
        }
        free(line);
    }
    zwlr_virtual_pointer_v1_destroy(s.pointer);
    if (s.manager_version >= 2) zwlr_virtual_pointer_manager_v1_destroy(s.manager);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}
