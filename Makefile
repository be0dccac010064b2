# Orvik: the two commands a user needs are `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   ?= cmake

.PHONY: all deps configure build run test bench install-user uninstall-user clean

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

bench: build
	./$(BUILD)/bench/orvik_bench

# A copy for the user alone, with an entry in the application menu.
install-user: build
	scripts/install-user $(BUILD)

uninstall-user:
	scripts/uninstall-user $(if $(PURGE),--purge)

clean:
	rm -rf $(BUILD)
