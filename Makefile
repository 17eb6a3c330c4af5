# Quick start: `make run` starts the program, `make test` runs every test.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
GENERATOR := -G Ninja
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench screenshots test-sanitize clean

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLDC_WERROR=$${CI:+ON} > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-app $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD_DIR)/bin/engine_bench
	@if [ -x $(BUILD_DIR)/bin/ui_bench ]; then QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/ui_bench; fi

screenshots: build
	@bash scripts/screenshots $(BUILD_DIR)

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DBLDC_SANITIZE=ON -DBLDC_BUILD_BENCH=OFF > /dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
