# Entry points. Everything is built with CMake; this file only wraps it.
#   make run       install dependencies, build, play the demo
#   make edit      build and play the demo for authoring: edits to data/ and content/ show at once
#   make test      install dependencies, build, run every test (headless)
#   make goldens   rewrite the post-processing and deferred tests' golden pictures
#   make sanitize  the whole test suite under AddressSanitizer + UBSan
#   make tsan      the audio tests under ThreadSanitizer
#   make bench     build and run the benchmarks
#   make fuzz      build the libFuzzer targets with clang and run each for FUZZ_SECONDS
#   make package   the Debian package build/vorndle_<version>_amd64.deb
#   make dist      the portable archive build/vorndle-<version>-linux-x86_64.tar.gz
#   make video     the film as build/vorndle-<version>-1080p60.mp4 (video-preview: 640x360, 30 fps;
#                  VIDEO_FROM=BEAT VIDEO_TO=BEAT render a part)

BUILD        ?= build
JOBS         ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS  ?=
# -noreset: by default the X server resets whenever its last client disconnects, and a test that opens
# the display during that reset is refused ("x11 not available").
XVFB         := xvfb-run -a -s "-screen 0 1920x1080x24 -noreset"
# Tests pin SDL to X11 (Xvfb): a Wayland probe that fails loads and unloads libwayland, which then
# shows up in leak reports with no module to name.
TEST_ENV     := SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11

.PHONY: all deps build run edit test goldens sheet sanitize tsan bench fuzz format format-check clean \
        package dist video video-preview

all: build

deps:
	@bash scripts/deps.sh

# configure: $(1) build dir, $(2) extra CMake flags
define configure
	@if [ ! -f $(1)/build.ninja ]; then \
	  cmake -S . -B $(1) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(2) $(CMAKE_FLAGS); \
	fi
endef

build: deps
	$(call configure,$(BUILD),)
	cmake --build $(BUILD) -j $(JOBS)

# Plays the production.
run: build
	$(BUILD)/vorndle $(RUN_ARGS)

# Authoring play of the production on the desktop: edits saved in data/ and content/ are on screen
# at the current beat (keys: vorndle --help).
edit: build
	$(BUILD)/vorndle --edit --sources $(CURDIR) --no-dialog --windowed $(RUN_ARGS)

test: build
	cd $(BUILD) && $(TEST_ENV) $(XVFB) ctest --output-on-failure -j $(JOBS)

package dist: build
	cmake --build $(BUILD) --target $@

# Renders on the desktop's display, or on a virtual one when there is none.
video video-preview: build
	VIDEO_FROM=$(VIDEO_FROM) VIDEO_TO=$(VIDEO_TO) $(if $(DISPLAY),,$(XVFB)) cmake --build $(BUILD) --target $@

# Rewrites the golden pictures of the post-processing and deferred tests (tests/data/post/,
# tests/data/deferred/: each light kind alone and the deferred example's frames; tests/data/production/:
# six beats of the film) after a
# deliberate change; look at every picture before committing it.
goldens: build
	cd $(BUILD)/tests && $(TEST_ENV) VORNDLE_UPDATE_GOLDENS=1 $(XVFB) ./test_post --gtest_filter='PostGolden*'
	cd $(BUILD)/tests && $(TEST_ENV) VORNDLE_UPDATE_GOLDENS=1 $(XVFB) ./test_deferred --gtest_filter='LightGolden*:ExampleGolden*'
	cd $(BUILD)/tests && $(TEST_ENV) VORNDLE_UPDATE_GOLDENS=1 $(XVFB) ./test_production --gtest_filter='ProductionGolden*'

# The README's contact sheet of the film: one still per phrase at 1280x720, labelled.
SHEET_BEATS = 8,40,80,104,112,140,170,200,222,230,248,260
sheet: build
	mkdir -p $(BUILD)/docs/stills tests/data/production
	cd $(BUILD) && $(TEST_ENV) $(XVFB) ./vorndle --no-dialog --stills $(SHEET_BEATS) --out docs/stills \
	  --sheet $(CURDIR)/tests/data/production/contact_sheet.png --size 1280x720

sanitize: deps
	$(call configure,build-sanitize,-DVORNDLE_SANITIZE=ON)
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && $(TEST_ENV) ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(XVFB) ctest --output-on-failure -j $(JOBS)

tsan: deps
	$(call configure,build-tsan,-DVORNDLE_TSAN=ON)
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && $(TEST_ENV) TSAN_OPTIONS=halt_on_error=1 $(XVFB) ctest --output-on-failure -L tsan

bench: build
	@set -e; for b in $(BUILD)/bench/bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$b"; $(TEST_ENV) $(XVFB) "$$b"; done

fuzz: deps
	@bash scripts/deps.sh scripts/packages-fuzz.txt
	@if [ ! -f build-fuzz/build.ninja ]; then \
	  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNDLE_FUZZ=ON; \
	fi
	cmake --build build-fuzz -j $(JOBS)
	@set -e; for f in build-fuzz/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; name=$$(basename $$f); \
	  mkdir -p build-fuzz/corpus/$$name; \
	  seeds=fuzz/corpus/$${name#fuzz_}; [ -d "$$seeds" ] || seeds=; \
	  dict=fuzz/$${name#fuzz_}.dict; [ -f "$$dict" ] && dict=-dict=$$dict || dict=; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $(TEST_ENV) LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	    $(XVFB) $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$dict build-fuzz/corpus/$$name $$seeds; \
	done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) build-sanitize build-tsan build-fuzz
