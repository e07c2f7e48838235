# Two commands set everything up on a fresh machine:
#   make run   - Release build, then a run on the bundled example
#   make test  - build and run every test
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test bench sanitize clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@rm -rf run && mkdir -p run && cp examples/wellfield.dat run/
	@cd run && printf 'wellfield.dat\nwellfield.rpt\n' | ../$(BUILD)/leaky-drawdown
	@echo
	@echo "report:  run/wellfield.rpt"
	@echo "raster:  run/ARCFILE"

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) build-* run
