# The README's commands. Each installs missing packages, configures and builds as needed.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps build run test test-unit test-asan bench fuzz install screenshot clean

all: build

deps:
	@./tools/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The game reads its files from its working directory.
run: build
	cd $(BUILD)/data && ../skorvane

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L unit

$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKORVANE_SANITIZE=ON -DSKORVANE_BENCH=OFF

test-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

$(BENCH_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSKORVANE_TESTS=OFF

bench: deps $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	cmake --build $(BENCH_BUILD) --target run_bench

# The fuzzers are built with clang; each runs for FUZZ_SECONDS beside the other.
$(FUZZ_BUILD)/CMakeCache.txt: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSKORVANE_FUZZ=ON -DSKORVANE_TESTS=OFF -DSKORVANE_BENCH=OFF

FUZZ_SECONDS ?= 60
fuzz: deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake -B $(FUZZ_BUILD) -DFUZZ_SECONDS=$(FUZZ_SECONDS) > /dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_bmp fuzz_mesh
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j 2 -L fuzz

PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Plays the game under Xvfb, two rockets in flight, for the README's picture.
screenshot: build
	cd $(BUILD)/data && xvfb-run -a sh -c '../skorvane > /dev/null & \
	  w=$$(xdotool search --sync --onlyvisible --name "^Skorvane$$"); \
	  xdotool mousemove --window $$w 250 250 click 3 sleep 1 click 3 sleep 2; \
	  import -window $$w $(CURDIR)/docs/screenshot.png; xdotool key q'

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
