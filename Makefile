# Quick start: `make run` starts the program, `make test` runs every test.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS := entry_rule format_fixed picture scenario
GENERATOR := -G Ninja
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench screenshots test-sanitize fuzz-build fuzz fuzz-replay clean

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

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer; the first report ends the
# test. -O1 keeps the slowest tests well under a minute. Leaks are detected; only third-party
# libraries' own leaks are suppressed (.ci/lsan.supp).
SANITIZE_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp:print_suppressions=0

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DBLDC_SANITIZE=ON -DBLDC_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" > /dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# libFuzzer targets, built by clang in a folder of their own.
fuzz-build: deps
	@cmake -S . -B $(FUZZ_DIR) $(GENERATOR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLDC_FUZZ=ON -DBLDC_BUILD_BENCH=OFF > /dev/null
	@cmake --build $(FUZZ_DIR) --target fuzzers -j $(JOBS)

# Each fuzzer for FUZZ_SECONDS, from the committed corpus; new inputs go to $(FUZZ_DIR)/corpus.
fuzz: fuzz-build
	@for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$f; \
	  echo "fuzz_$$f: $(FUZZ_SECONDS) s"; \
	  $(FUZZ_DIR)/bin/fuzz_$$f -max_total_time=$(FUZZ_SECONDS) -max_len=16384 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/fuzz_$$f- $(FUZZ_DIR)/corpus/$$f fuzz/corpus/$$f \
	    > $(FUZZ_DIR)/fuzz_$$f.log 2>&1 || { tail -n 60 $(FUZZ_DIR)/fuzz_$$f.log; exit 1; }; \
	  grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)" $(FUZZ_DIR)/fuzz_$$f.log; \
	done

# Each fuzzer once over every file of its committed corpus (what CI runs).
fuzz-replay: fuzz-build
	@for f in $(FUZZERS); do \
	  $(FUZZ_DIR)/bin/fuzz_$$f fuzz/corpus/$$f/* > $(FUZZ_DIR)/replay_$$f.log 2>&1 \
	    || { tail -n 60 $(FUZZ_DIR)/replay_$$f.log; exit 1; }; \
	  echo "fuzz_$$f: $$(ls fuzz/corpus/$$f | wc -l) corpus inputs replayed, no fault"; \
	done

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
