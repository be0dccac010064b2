# Orvik: the two commands a user needs are `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   ?= cmake

SHELL := /bin/bash
.PHONY: all deps configure configure-test build run check test stress-sound sanitize-test fuzz bench install-user uninstall-user clean

all: build

deps:
	@scripts/install-deps

# A plain build: no -Werror, the tests built as CTest's BUILD_TESTING says
# (on unless the cache says otherwise).
configure: deps
	@$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@$(CMAKE) --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/orvik

# The project's own test runs build with warnings as errors.
configure-test: deps
	@$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DORVIK_WERROR=ON >/dev/null

# The edit-test loop: the pure and window tests only, in seconds.
check: configure-test
	@$(CMAKE) --build $(BUILD) -j$(JOBS)
	@scripts/run-tests $(BUILD) -L '^(core|ui)$$' -j$(JOBS)

# Everything CI runs: all tests (end-to-end ones included), the sanitizer
# build and bounded fuzzing. scripts/run-tests gives the tests an empty HOME
# and no session bus, checks that they left nothing behind and says what was
# skipped and why; its summary is repeated as the last line.
test: configure-test
	@$(CMAKE) --build $(BUILD) -j$(JOBS)
	@ORVIK_TEST_SUMMARY=$(BUILD)/test-summary.txt scripts/run-tests $(BUILD) -j$(JOBS)
	@$(MAKE) --no-print-directory sanitize-test
	@scripts/fuzz $(FUZZ_SECONDS)
	@echo "make test: passed. Tests: $$(cat $(BUILD)/test-summary.txt). Then the same pure and window tests under the sanitizers, and $(FUZZ_SECONDS) s of fuzzing per target."

# Every end-to-end sound test, many rounds in a row beside a busy machine's
# load (ROUNDS=20 by default, KIND=pulseaudio, pipewire or all).
stress-sound: configure-test
	@$(CMAKE) --build $(BUILD) -j$(JOBS)
	scripts/stress-sound $(BUILD) $(or $(ROUNDS),20) $(or $(KIND),all)

# The pure and window tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the test that made it.
SANITIZE_BUILD ?= build-asan
sanitize-test: deps
	@$(CMAKE) -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVIK_SANITIZE=ON -DORVIK_WERROR=OFF >/dev/null
	@$(CMAKE) --build $(SANITIZE_BUILD) -j$(JOBS)
	@UBSAN_OPTIONS=print_stacktrace=1 scripts/run-tests $(SANITIZE_BUILD) -L '^(core|ui)$$' -j$(JOBS)

# Each fuzz target runs this many seconds in `make test`, and
# FUZZ_LONG_SECONDS in `make fuzz`.
FUZZ_SECONDS ?= 30
FUZZ_LONG_SECONDS ?= 600
fuzz: deps
	scripts/fuzz $(FUZZ_LONG_SECONDS)

bench: deps
	@$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DORVIK_BENCH=ON >/dev/null
	@$(CMAKE) --build $(BUILD) -j$(JOBS) --target orvik_bench
	./$(BUILD)/bench/orvik_bench

# A copy for the user alone, with an entry in the application menu: CMake's
# install rules with the user's folders (PROGRAM_DIR=... to choose the
# program folder).
install-user: build
	scripts/install-user $(BUILD)

uninstall-user:
	scripts/uninstall-user $(if $(PURGE),--purge)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
