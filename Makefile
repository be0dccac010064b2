# Orvik: the two commands a user needs are `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   ?= cmake

.PHONY: all deps configure build run test sanitize-test fuzz bench install-user uninstall-user clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@$(CMAKE) --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/orvik

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory sanitize-test
	scripts/fuzz $(FUZZ_SECONDS)

# The pure and window tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the test that made it.
SANITIZE_BUILD ?= build-asan
sanitize-test: deps
	@$(CMAKE) -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVIK_SANITIZE=ON -DORVIK_WERROR=OFF >/dev/null
	@$(CMAKE) --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && UBSAN_OPTIONS=print_stacktrace=1 ctest -L 'core|ui' --output-on-failure -j$(JOBS)

# Each fuzz target runs this many seconds in `make test`, and
# FUZZ_LONG_SECONDS in `make fuzz`.
FUZZ_SECONDS ?= 30
FUZZ_LONG_SECONDS ?= 600
fuzz: deps
	scripts/fuzz $(FUZZ_LONG_SECONDS)

bench: build
	./$(BUILD)/bench/orvik_bench

# A copy for the user alone, with an entry in the application menu.
install-user: build
	scripts/install-user $(BUILD)

uninstall-user:
	scripts/uninstall-user $(if $(PURGE),--purge)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
