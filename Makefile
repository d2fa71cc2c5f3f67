# The README's commands. Each installs the Debian packages its purpose needs
# (tools/install-deps), then configures and builds as needed.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
BENCH_BUILD ?= build-bench
DEB_BUILD   ?= build-deb
FUZZ_BUILD  ?= build-fuzz
WEB_BUILD   ?= build-web
WEB_TEST_BUILD ?= build-web-test
NPM_DIR     ?= build-npm
WEB_PORT    ?= 8000
JOBS        ?= $(shell nproc)
CMAKE_ARGS  ?=
# WERROR=ON makes warnings in our own code errors (CI sets it).
WERROR      ?=
CONFIGURE = cmake -S . $(if $(WERROR),-DSKORVANE_WERROR=$(WERROR)) $(CMAKE_ARGS)

.PHONY: all build run test-build test test-unit test-asan format-check bench fuzz deb install \
  screenshot web web-dist web-run bench-web npm clean

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

# The desktop build with its tests, and the test build of the page (which can
# show a scripted World) with the core's replay in WebAssembly beside it: the
# browser's tests (label web) run from the desktop's CTest.
test-build: deps-test npm
	$(EMSCRIPTEN_ENV) emcmake $(CONFIGURE) -B $(WEB_TEST_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DSKORVANE_TESTS=ON
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_TEST_BUILD) -j $(JOBS)
	$(CONFIGURE) -B $(BUILD) -DSKORVANE_TESTS=ON -DSKORVANE_WEB_BUILD=$(CURDIR)/$(WEB_TEST_BUILD) \
	  -DSKORVANE_NODE_MODULES=$(CURDIR)/$(NPM_DIR)/node_modules
	cmake --build $(BUILD) -j $(JOBS)

test: test-build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core and the file readers alone: no display, browser or Emscripten.
test-unit: deps-unit
	$(CONFIGURE) -B $(BUILD) -DSKORVANE_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS) --target unit_tests
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L unit

# puppeteer-core for the browser's tests and make bench-web, from its lock file,
# fetched again only when that changes.
npm: $(NPM_DIR)/node_modules/.package-lock.json
$(NPM_DIR)/node_modules/.package-lock.json: tests/web/package-lock.json tests/web/package.json
	@./tools/install-deps npm
	mkdir -p $(NPM_DIR) && cp tests/web/package.json tests/web/package-lock.json $(NPM_DIR)/
	cd $(NPM_DIR) && npm ci --no-audit --no-fund

$(ASAN_BUILD)/CMakeCache.txt: | deps-test
	$(CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKORVANE_SANITIZE=ON -DSKORVANE_TESTS=ON

test-asan: deps-test $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# Every C++ file of ours against .clang-format; lists what differs, changes nothing.
format-check: deps-test
	find app assets game render sound tests bench fuzz tools web -name '*.cpp' -o -name '*.h' | \
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

# The page in $(WEB_BUILD)/page/, all a web server needs: index.html,
# skorvane.js, .wasm and .data.gz (the four data files), the licence and icon, the
# manifest and the service worker that keeps the files for playing offline.
# Debian's em++ needs node's modules from Debian's folder.
EMSCRIPTEN_ENV = NODE_PATH=/usr/share/nodejs
$(WEB_BUILD)/CMakeCache.txt: | deps-web
	$(EMSCRIPTEN_ENV) emcmake $(CONFIGURE) -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release

web: deps-web $(WEB_BUILD)/CMakeCache.txt
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

# The page for uploading: $(WEB_BUILD)/skorvane-web-VERSION.tar.gz, its files
# under skorvane-web-VERSION/.
web-dist: web
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) --target web-dist

# Any static file server does; this one stops with Ctrl-C.
web-run: web
	@echo "Serving $(WEB_BUILD)/page/ at http://localhost:$(WEB_PORT)/ (Ctrl-C stops it)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(WEB_BUILD)/page

# The page's figures in headless chromium beside the desktop game's own frames
# per second at full load, measured in the same run, and the three engines'
# side by side (Firefox and WebKit on a virtual display).
bench-web: deps-bench-web web npm $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target frame_bench game_data
	NODE_PATH=$(CURDIR)/$(NPM_DIR)/node_modules xvfb-run -a -s '-screen 0 1280x1500x24' \
	  node bench/web_bench.js $(WEB_BUILD) $(BENCH_BUILD)

PREFIX ?= /usr/local
install: build
	cmake --build $(BUILD) -j $(JOBS)
	cmake --install $(BUILD) --prefix $(PREFIX)

# Plays the game under Xvfb, two rockets in flight, for the README's picture.
# Then the scripted scene as the desktop and the browser draw it, side by side,
# and the page on a phone, upright and turned, at the phone's CSS size.
screenshot: test-build
	cd $(BUILD)/data && xvfb-run -a sh -c '../skorvane > /dev/null & \
	  w=$$(xdotool search --sync --onlyvisible --name "^Skorvane$$"); \
	  xdotool mousemove --window $$w 250 250 click 3 sleep 1 click 3 sleep 2; \
	  import -window $$w $(CURDIR)/docs/screenshot.png; xdotool key q'
	cd $(BUILD) && ctest -R 'web_(scene|phone)_chromium' --output-on-failure
	cp $(BUILD)/tests/side-by-side-chromium.png docs/desktop-and-browser.png
	for side in upright turned; do \
	  convert $(BUILD)/tests/phone-chromium-$$side.png -resize 33.333% docs/phone-$$side.png; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(DEB_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) \
	  $(WEB_TEST_BUILD) $(NPM_DIR)
