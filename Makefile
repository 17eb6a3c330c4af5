# Quick start: `make run` starts the program, `make test` runs every test.
# Each target installs the Debian packages its part needs (scripts/install-deps) and configures
# the build folder with just the parts it builds.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
TSAN_DIR ?= build-tsan
FUZZ_DIR ?= build-fuzz
PACKAGE_DIR ?= build-package
FUZZ_SECONDS ?= 60
FUZZERS := entry_rule format_fixed sample_log picture scenario
GENERATOR := -G Ninja
JOBS ?= $(shell nproc)

CONFIGURE := cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	-DBLDC_WERROR=$${CI:+ON}

.PHONY: deps build run python test test-long bench screenshots test-sanitize test-tsan fuzz-build fuzz \
	fuzz-replay package package-check clean

# Everything any target needs.
deps:
	@bash scripts/install-deps run test bench fuzz package python

# The two programs only.
build:
	@bash scripts/install-deps run
	@$(CONFIGURE) -DBLDC_BUILD_TESTS=OFF -DBLDC_BUILD_BENCH=OFF > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-app $(BUILD_DIR)

# The Python module bldc_emu, importable with PYTHONPATH=$(BUILD_DIR)/python.
python:
	@bash scripts/install-deps run python
	@$(CONFIGURE) -DBLDC_BUILD_TESTS=OFF -DBLDC_BUILD_BENCH=OFF > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target bldc_emu_core bldc-emu
	@echo "PYTHONPATH=$(CURDIR)/$(BUILD_DIR)/python /usr/bin/python3 -c 'import bldc_emu'"

test:
	@bash scripts/install-deps run test
	@$(CONFIGURE) -DBLDC_BUILD_TESTS=ON -DBLDC_BUILD_BENCH=OFF > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -LE long

# The long checks, outside CI: the monkey with more seeds and actions, the rest of the
# robustness tests, for as long as they take, and every case of the circuit against ngspice.
LONG_SEEDS ?= 12
LONG_ACTIONS ?= 10000

test-long: test
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -L robustness \
		-E tst_monkey -j $(JOBS)
	@cd $(BUILD_DIR) && ctest --output-on-failure -L long -V
	@MONKEY_SEEDS=$(LONG_SEEDS) MONKEY_ACTIONS=$(LONG_ACTIONS) QT_QPA_PLATFORM=offscreen \
		$(BUILD_DIR)/bin/tst_monkey
	@SPICE_LONG=1 $(BUILD_DIR)/bin/spice_tests

# Medians of several repetitions; engine_bench ends with each goal's figure as a ratio to the
# cosine floor it measured itself.
BENCH_ARGS ?= --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

bench:
	@bash scripts/install-deps run bench
	@$(CONFIGURE) -DBLDC_BUILD_TESTS=OFF -DBLDC_BUILD_BENCH=ON > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target engine_bench ui_bench bldc_emu_core
	@$(BUILD_DIR)/bin/engine_bench $(BENCH_ARGS)
	@QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/ui_bench
	@PYTHONPATH=$(CURDIR)/$(BUILD_DIR)/python /usr/bin/python3 bench/python/python_bench.py

screenshots: build
	@bash scripts/screenshots $(BUILD_DIR)

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer; the first report ends the
# test. -O1 keeps the slowest tests well under a minute. Leaks are detected; only third-party
# libraries' own leaks are suppressed (.ci/lsan.supp).
SANITIZE_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp:print_suppressions=0

test-sanitize:
	@bash scripts/install-deps run test
	@cmake -S . -B $(SANITIZE_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DBLDC_SANITIZE=ON \
	  -DBLDC_BUILD_TESTS=ON -DBLDC_BUILD_BENCH=OFF -DBLDC_MAN_PAGES=OFF \
	  "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" > /dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS) -LE long

# The engine's, the command line's and the property sweep's tests under ThreadSanitizer: long
# runs and sweeps use threads. Without the window, whose toolkit is not instrumented, and
# without the number format's comparison with its slow reference, which starts no thread and
# takes longest by far; -O1 keeps the sweep to a few minutes.
test-tsan:
	@bash scripts/install-deps run test
	@cmake -S . -B $(TSAN_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DBLDC_TSAN=ON \
	  -DBLDC_BUILD_UI=OFF -DBLDC_BUILD_TESTS=ON -DBLDC_BUILD_BENCH=OFF -DBLDC_MAN_PAGES=OFF \
	  "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" > /dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS)
	@cd $(TSAN_DIR) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -j $(JOBS) -LE long -E '^FormatFixedAgainstReference\.'

# libFuzzer targets, built by clang in a folder of their own.
fuzz-build:
	@bash scripts/install-deps run fuzz
	@cmake -S . -B $(FUZZ_DIR) $(GENERATOR) -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLDC_FUZZ=ON -DBLDC_BUILD_TESTS=OFF \
	  -DBLDC_BUILD_BENCH=OFF -DBLDC_MAN_PAGES=OFF > /dev/null
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

# The Debian package, from a Release build of the programs with Debian's hardening flags and
# warnings as errors; CPack strips the binaries (with their .comment and .note sections) and
# asks dpkg-shlibdeps for the library dependencies. The same commit gives the same bytes: every
# date in the package is the last commit's (SOURCE_DATE_EPOCH, unless already set).
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
DEB_CXXFLAGS = $$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)
DEB_LDFLAGS = $$($(DEB_FLAGS) LDFLAGS)
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
export SOURCE_DATE_EPOCH

define build_package
	@cmake -S . -B $(1) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DBLDC_WERROR=ON \
	  -DBLDC_BUILD_TESTS=OFF -DBLDC_BUILD_BENCH=OFF -DBLDC_MAN_PAGES=ON \
	  -DCMAKE_STRIP=$(CURDIR)/packaging/strip-for-package \
	  "-DCMAKE_CXX_FLAGS=$(DEB_CXXFLAGS)" "-DCMAKE_EXE_LINKER_FLAGS=$(DEB_LDFLAGS)" \
	  "-DCMAKE_MODULE_LINKER_FLAGS=$(DEB_LDFLAGS)" "-DCMAKE_SHARED_LINKER_FLAGS=$(DEB_LDFLAGS)" > /dev/null
	@cmake --build $(1) -j $(JOBS)
	@cd $(1) && rm -f *.deb && cpack -G DEB > cpack.log 2>&1 || { cat cpack.log; exit 1; }
endef

package:
	@bash scripts/install-deps run package
	$(call build_package,$(PACKAGE_DIR))
	@ls $(PACKAGE_DIR)/*.deb

# What a distribution would check: the desktop entry, the AppStream description and lintian,
# on the files of the package itself; then a second build from scratch, in the same folder as
# a distribution's builders use one (the folder is in the debug information the build id is
# taken over), which must give the same bytes.
package-check: package
	@bash scripts/check-package $(PACKAGE_DIR)/*.deb
	@rm -rf $(PACKAGE_DIR)-first && mkdir -p $(PACKAGE_DIR)-first
	@mv $(PACKAGE_DIR)/*.deb $(PACKAGE_DIR)-first/ && rm -rf $(PACKAGE_DIR)
	$(call build_package,$(PACKAGE_DIR))
	@bash scripts/compare-packages $(PACKAGE_DIR)-first/*.deb $(PACKAGE_DIR)/*.deb

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(FUZZ_DIR) $(PACKAGE_DIR) $(PACKAGE_DIR)-again
