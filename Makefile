# Front door: every target installs what it needs, then builds with CMake and Ninja.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all deps configure build run test bench fuzz screenshot clean

all: build

deps:
	tools/install-deps

configure: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/bin/weltnetz ]; then $(BUILD)/bin/weltnetz; else $(BUILD)/bin/weltnetz-proj --list; fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench:
	tools/install-deps bench
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DWELTNETZ_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	build-bench/bin/weltnetz-bench

clean:
	rm -rf $(BUILD) build-asan build-bench build-fuzz
