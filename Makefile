# Orvik: the two commands a user needs are `make run` and `make test`.
#
# Each purpose builds in a folder of its own, so that no option of one leaks
# into another:
#   build/        the plain program: no tests, no -Werror (make run; README's
#                 packaging line installs from it)
#   build-test/   warnings as errors and every test (make check, make test)
#   build-asan/   the sanitizer build (make sanitize-test)
#   build-bench/  the benchmarks (make bench)
#   build-user/   the user install's own configuration (make install-user)
#   build-fuzz/   the fuzz targets, a project of their own (scripts/fuzz)
BUILD          ?= build
TEST_BUILD     ?= build-test
SANITIZE_BUILD ?= build-asan
BENCH_BUILD    ?= build-bench
USER_BUILD     ?= build-user
JOBS           ?= $(shell nproc)
CMAKE          ?= cmake

SHELL := /bin/bash
# CMake's build runs make again in every folder; its "Entering directory"
# lines say nothing a user needs. CMake's own progress lines stay.
MAKEFLAGS += --no-print-directory
.PHONY: all run build check test stress-sound sanitize-test fuzz bench install-user uninstall-user clean

all: build

# Configures build folder $(1) with the options $(2), unless its cache
# already holds every one of them: an unchanged folder is not configured
# again, and one that another command configured otherwise is put right.
define configure
@for o in $(2); do o=$${o#-D}; grep -qsxE -- "$${o%%=*}:[A-Z]+=$${o#*=}" $(1)/CMakeCache.txt || { $(CMAKE) -S . -B $(1) $(2) >/dev/null || exit 1; break; }; done
endef

# The plain build, with the install places' defaults, so that
# `cmake --install build --prefix /usr` does what the README says.
PLAIN_OPTIONS := -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORVIK_WERROR=OFF -DORVIK_BENCH=OFF \
    -DORVIK_SANITIZE=OFF -DCMAKE_INSTALL_PREFIX=/usr/local -DCMAKE_INSTALL_BINDIR=bin \
    -DCMAKE_INSTALL_DATAROOTDIR=share -DORVIK_INSTALL_PROGRAMDIR=opt/orvik
TEST_OPTIONS := -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DORVIK_WERROR=ON -DORVIK_BENCH=OFF -DORVIK_SANITIZE=OFF

# The program alone: what building and running need, nothing of the tests.
build:
	@scripts/install-deps run
	$(call configure,$(BUILD),$(PLAIN_OPTIONS))
	@$(CMAKE) --build $(BUILD) -j$(JOBS) --target orvik

run: build
	@echo "Starting $(BUILD)/orvik"
	@./$(BUILD)/orvik

# The edit-test loop: the pure and window tests only, in seconds. The
# project's own test runs build with warnings as errors.
check:
	@scripts/install-deps check
	$(call configure,$(TEST_BUILD),$(TEST_OPTIONS))
	@$(CMAKE) --build $(TEST_BUILD) -j$(JOBS)
	@scripts/run-tests $(TEST_BUILD) -L '^(core|ui)$$' -j$(JOBS)

# Everything CI runs: all tests (end-to-end ones included), the sanitizer
# build and bounded fuzzing. scripts/run-tests gives the tests an empty HOME
# and no session bus, checks that they left nothing behind and says what was
# skipped and why; its summary is repeated as the last line.
test:
	@scripts/install-deps test
	$(call configure,$(TEST_BUILD),$(TEST_OPTIONS))
	@$(CMAKE) --build $(TEST_BUILD) -j$(JOBS)
	@ORVIK_TEST_SUMMARY=$(TEST_BUILD)/test-summary.txt scripts/run-tests $(TEST_BUILD) -j$(JOBS)
	@$(MAKE) sanitize-test
	@scripts/fuzz $(FUZZ_SECONDS)
	@echo "make test: passed. Tests: $$(cat $(TEST_BUILD)/test-summary.txt). Then the same pure and window tests under the sanitizers, and $(FUZZ_SECONDS) s of fuzzing per target."

# Every end-to-end sound test, many rounds in a row beside a busy machine's
# load (ROUNDS=20 by default, KIND=pulseaudio, pipewire or all).
stress-sound:
	@scripts/install-deps test
	$(call configure,$(TEST_BUILD),$(TEST_OPTIONS))
	@$(CMAKE) --build $(TEST_BUILD) -j$(JOBS)
	scripts/stress-sound $(TEST_BUILD) $(or $(ROUNDS),20) $(or $(KIND),all)

# The pure and window tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the test that made it.
sanitize-test:
	@scripts/install-deps check
	$(call configure,$(SANITIZE_BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DORVIK_SANITIZE=ON -DORVIK_WERROR=OFF)
	@$(CMAKE) --build $(SANITIZE_BUILD) -j$(JOBS)
	@UBSAN_OPTIONS=print_stacktrace=1 scripts/run-tests $(SANITIZE_BUILD) -L '^(core|ui)$$' -j$(JOBS)

# Each fuzz target runs this many seconds in `make test`, and
# FUZZ_LONG_SECONDS in `make fuzz`.
FUZZ_SECONDS ?= 30
FUZZ_LONG_SECONDS ?= 600
fuzz:
	@scripts/install-deps fuzz
	scripts/fuzz $(FUZZ_LONG_SECONDS)

bench:
	@scripts/install-deps bench
	$(call configure,$(BENCH_BUILD),-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORVIK_BENCH=ON -DORVIK_WERROR=OFF -DORVIK_SANITIZE=OFF)
	@$(CMAKE) --build $(BENCH_BUILD) -j$(JOBS) --target orvik_bench
	./$(BENCH_BUILD)/bench/orvik_bench

# A copy for the user alone, with an entry in the application menu: CMake's
# install rules with the user's folders (PROGRAM_DIR=... to choose the
# program folder), configured in a folder of their own so that the user's
# paths never reach the plain build.
install-user:
	@scripts/install-deps run
	$(call configure,$(USER_BUILD),-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORVIK_WERROR=OFF -DORVIK_BENCH=OFF -DORVIK_SANITIZE=OFF)
	scripts/install-user $(USER_BUILD)

uninstall-user:
	scripts/uninstall-user $(if $(PURGE),--purge)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(SANITIZE_BUILD) $(BENCH_BUILD) $(USER_BUILD) build-fuzz
