# The README's commands. Each installs the Debian packages its purpose needs
# (tools/install-deps), then configures and builds as needed.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
BENCH_BUILD ?= build-bench
DEB_BUILD   ?= build-deb
FUZZ_BUILD  ?= build-fuzz
WEB_BUILD   ?= build-web
WEB_PORT    ?= 8000
JOBS        ?= $(shell nproc)
CMAKE_ARGS  ?=
# WERROR=ON makes warnings in our own code errors (CI sets it).
WERROR      ?=
CONFIGURE = cmake -S . $(if $(WERROR),-DSKORVANE_WERROR=$(WERROR)) $(CMAKE_ARGS)

.PHONY: all build run test-build test test-unit test-asan format-check bench fuzz deb install \
  screenshot web web-run bench-web clean

all: build

deps-%:
	@./tools/install-deps $*

$(BUILD)/CMakeCache.txt: | deps-run
	$(CONFIGURE) -B $(BUILD)

# The game and its data only: no tests, benchmarks or fuzzers.
build: deps-run $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target skorvane game_data

# The game reads its files from its working directory.
run: build
	cd $(BUILD)/data && ../skorvane

# The desktop build with its tests, and the page with the core's replay in
# WebAssembly beside it: the browser's tests (label web) run from the desktop's CTest.
test-build: deps-test
	$(WEB_CONFIGURE) -DSKORVANE_TESTS=ON
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)
	$(CONFIGURE) -B $(BUILD) -DSKORVANE_TESTS=ON -DSKORVANE_WEB_BUILD=$(CURDIR)/$(WEB_BUILD)
	cmake --build $(BUILD) -j $(JOBS)

test: test-build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-unit: test-build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L unit

$(ASAN_BUILD)/CMakeCache.txt: | deps-test
	$(CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKORVANE_SANITIZE=ON -DSKORVANE_TESTS=ON

test-asan: deps-test $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# Every C++ file of ours against .clang-format; lists what differs, changes nothing.
format-check: deps-test
	find app assets game render tests bench fuzz tools web -name '*.cpp' -o -name '*.h' | \
	  xargs clang-format --dry-run --Werror

$(BENCH_BUILD)/CMakeCache.txt: | deps-bench
	$(CONFIGURE) -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSKORVANE_BENCH=ON

bench: deps-bench $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	cmake --build $(BENCH_BUILD) --target run_bench

# The fuzzers are built with clang; each runs for FUZZ_SECONDS beside the other.
$(FUZZ_BUILD)/CMakeCache.txt: | deps-fuzz
	CC=clang CXX=clang++ $(CONFIGURE) -B $(FUZZ_BUILD) -DSKORVANE_FUZZ=ON

FUZZ_SECONDS ?= 60
fuzz: deps-fuzz $(FUZZ_BUILD)/CMakeCache.txt
	cmake -B $(FUZZ_BUILD) -DFUZZ_SECONDS=$(FUZZ_SECONDS) > /dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_bmp fuzz_mesh
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j 2 -L fuzz

# Debian's games layout and Debian's own compiler and linker flags (hardened);
# the package is written to $(DEB_BUILD)/.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
deb: deps-deb
	$(CONFIGURE) -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=None \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)" \
	  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games -DCMAKE_INSTALL_DATADIR=share/games
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack

# The page in $(WEB_BUILD)/: index.html, skorvane.js, .wasm and .data (the
# four data files). Debian's em++ needs node's modules from Debian's folder.
EMSCRIPTEN_ENV = NODE_PATH=/usr/share/nodejs
WEB_CONFIGURE = $(EMSCRIPTEN_ENV) emcmake $(CONFIGURE) -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release
$(WEB_BUILD)/CMakeCache.txt: | deps-web
	$(WEB_CONFIGURE)

web: deps-web $(WEB_BUILD)/CMakeCache.txt
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

# Any static file server does; this one stops with Ctrl-C.
web-run: web
	@echo "Serving $(WEB_BUILD)/ at http://localhost:$(WEB_PORT)/ (Ctrl-C stops it)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(WEB_BUILD)

# The page's figures in headless chromium, driven by the browser tests' own
# puppeteer-core (installed from tests/web's lock file into build-web-bench/).
WEB_BENCH = build-web-bench
bench-web: deps-bench-web web
	mkdir -p $(WEB_BENCH) && cp tests/web/package.json tests/web/package-lock.json $(WEB_BENCH)/
	cd $(WEB_BENCH) && npm ci --no-audit --no-fund
	NODE_PATH=$(CURDIR)/$(WEB_BENCH)/node_modules node bench/web_bench.js $(WEB_BUILD)

PREFIX ?= /usr/local
install: build
	cmake --build $(BUILD) -j $(JOBS)
	cmake --install $(BUILD) --prefix $(PREFIX)

# Plays the game under Xvfb, two rockets in flight, for the README's picture.
# Then the scripted scene as the desktop and the browser draw it, side by side.
screenshot: test-build
	cd $(BUILD)/data && xvfb-run -a sh -c '../skorvane > /dev/null & \
	  w=$$(xdotool search --sync --onlyvisible --name "^Skorvane$$"); \
	  xdotool mousemove --window $$w 250 250 click 3 sleep 1 click 3 sleep 2; \
	  import -window $$w $(CURDIR)/docs/screenshot.png; xdotool key q'
	cd $(BUILD) && ctest -R web_scene --output-on-failure
	cp $(BUILD)/tests/side-by-side.png docs/desktop-and-browser.png

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(DEB_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) \
	  $(WEB_BENCH)
