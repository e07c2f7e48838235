# Two commands set everything up on a fresh machine:
#   make run   - Release build of the program, then a run on the bundled example
#   make study - Release build of the program, then the example study (examples/study)
#   make creek - Release build of the program, then the example beside a creek (examples/creek)
#   make metric - Release build of the program, then the example study in metres (examples/metric)
#   make fit   - Release build of the program, then the example aquifer test (examples/fit)
#   make test  - build the program and every test, and run the tests
# and, for hardening:
#   make sanitize - every test again, built with AddressSanitizer and
#                   UndefinedBehaviorSanitizer (folder build-asan)
#   make fuzz     - each libFuzzer target for FUZZ_SECONDS seconds (clang,
#                   folder build-fuzz)
# and, for speed:
#   make bench    - full-size runs, default against reference evaluation:
#                   medians, ratios and peak memory; then a full-size study
#                   against the input-file run; then large study inputs (a
#                   million receptors, schedules of many steps); then the true
#                   well function per evaluation, the exact grid against the
#                   rule's fast evaluation per node-term, and an aquifer-test
#                   fit (folder build-bench, about 45 minutes)
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
ASAN_BUILD   ?= build-asan
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= read_free numeric_edit whole_run study_reader fit_reader partial_file
BENCH_BUILD  ?= build-bench
# Targets may be named with or without their _fuzz ending.
FUZZ_NAMES    = $(patsubst %_fuzz,%,$(FUZZ_TARGETS))

.PHONY: all deps configure build program run study creek metric fit test bench sanitize fuzz clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The program alone (with its GIS module), not the tests.
program: configure
	@cmake --build $(BUILD) -j $(JOBS) --target leaky-drawdown

run: program
	@rm -rf run && mkdir -p run && cp examples/wellfield.dat run/
	@cd run && printf 'wellfield.dat\nwellfield.rpt\n' | ../$(BUILD)/leaky-drawdown
	@echo
	@echo "report:  run/wellfield.rpt"
	@echo "raster:  run/ARCFILE"

study: program
	@rm -rf run/study && mkdir -p run/study && cp examples/study/wellfield.toml examples/study/receptors.csv run/study/
	@$(BUILD)/leaky-drawdown --study run/study/wellfield.toml
	@echo
	@echo "outputs: run/study/out/ (the permit memo: run/study/out/memo.pdf)"

creek: program
	@rm -rf run/creek && mkdir -p run/creek && cp examples/creek/creek.toml run/creek/
	@$(BUILD)/leaky-drawdown --study run/creek/creek.toml
	@echo
	@echo "outputs: run/creek/out/"

metric: program
	@rm -rf run/metric && mkdir -p run/metric && cp examples/metric/wellfield.toml examples/metric/receptors.csv run/metric/
	@$(BUILD)/leaky-drawdown --study run/metric/wellfield.toml
	@echo
	@echo "outputs: run/metric/out/"

fit: program
	@rm -rf run/fit && mkdir -p run/fit && cp examples/fit/oude-korendijk.toml examples/fit/piezometer_*.csv run/fit/
	@$(BUILD)/leaky-drawdown --fit run/fit/oude-korendijk.toml
	@echo
	@echo "outputs: run/fit/fit/"

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEAKY_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLEAKY_SANITIZE=ON -DLEAKY_BUILD_FUZZ=ON -DLEAKY_BUILD_TESTS=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addsuffix _fuzz,$(FUZZ_NAMES))
	@fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_NAMES)

bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DLEAKY_BUILD_BENCH=ON \
	  -DLEAKY_BUILD_TESTS=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@python3 bench/full_size_runs.py $(BENCH_BUILD)/leaky-drawdown
	@python3 bench/full_size_study.py $(BENCH_BUILD)/leaky-drawdown
	@python3 bench/study_inputs.py $(BENCH_BUILD)/leaky-drawdown $(BENCH_BUILD)/bench/study_read_bench
	@$(BENCH_BUILD)/bench/true_well_function_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	@$(BENCH_BUILD)/bench/exact_grid_bench 5
	@$(BENCH_BUILD)/bench/depletion_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	@$(BENCH_BUILD)/bench/fit_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	@$(BENCH_BUILD)/bench/uncertainty_bench . 5
	@$(BENCH_BUILD)/bench/allocation_bench 3
	@$(BENCH_BUILD)/bench/probability_grid_bench 5

clean:
	rm -rf $(BUILD) build-* run

# The allocation example: shares, single-well factors and the best plan.
.PHONY: allocation
allocation: program
	@rm -rf run/allocation && mkdir -p run/allocation && cp examples/allocation/permit.toml run/allocation/
	@$(BUILD)/leaky-drawdown --study run/allocation/permit.toml
	@echo
	@echo "outputs: run/allocation/out/"
