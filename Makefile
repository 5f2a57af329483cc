# The two commands a user needs: `make play` and `make test`. Everything else serves them.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps build production test play video install clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The bundled production, made again only when a content tool or a hand-written part changed.
# The stamp stays outside the folder: the content tool writes only where every file is its own.
# A folder that still holds the old stamp inside was made before the tool recorded what it
# wrote; it is the build's own, so it is made again from nothing.
PRODUCTION_STAMP := $(BUILD)/production.made
production: build
	@$(MAKE) --no-print-directory $(PRODUCTION_STAMP)

$(PRODUCTION_STAMP): $(BUILD)/zorbanel-content $(BUILD)/zorbanel-convert $(wildcard production/*)
	@if [ -f $(BUILD)/production/.made ]; then rm -rf $(BUILD)/production; fi
	$(BUILD)/zorbanel-content $(BUILD)/production
	touch $@

# The test programs are not part of the plain build: they are built here.
test: build production
	@bash scripts/install-deps.sh test
	@bash scripts/check-layers.sh
	cmake --build $(BUILD) -j $(JOBS) --target tests
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

play: build production
	cd $(BUILD)/production && ../zorbanel

# The production as a video with its music, every frame rendered off screen at a fixed rate
# (VIDEO_FPS) and size (VIDEO_SIZE, such as 1920x1080; empty: 800x600), in JOBS parts at once
# that are then joined. Slow where OpenGL runs in software: the progress lines tell how long is left.
VIDEO_FPS ?= 60
VIDEO_SIZE ?=
video: build production
	@bash scripts/install-deps.sh core video
	bash scripts/capture-video.sh $(BUILD) $(JOBS) $(VIDEO_FPS) $(BUILD)/zorbanel.mp4 $(VIDEO_SIZE)

# The bundled production drawn by both renderers and compared frame by frame
# (scripts/compare-renderers.sh); fails when a frame of gl3 is too far from classic's.
.PHONY: compare-renderers
compare-renderers: build production
	bash scripts/compare-renderers.sh $(BUILD)

# The player and the tools into $(PREFIX)/bin (the content tool finds the converter beside it).
PREFIX ?= $(HOME)/.local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)
	@case ":$$PATH:" in *":$(PREFIX)/bin:"*) ;; \
	  *) echo "Add $(PREFIX)/bin to your PATH to run the programs by name.";; esac

clean:
	rm -rf $(BUILD)

# The release for Linux: dist/zorbanel-VERSION-linux-x86_64.tar.gz, the programs with the bundled
# production beside them (docs/release/README-linux.txt says what it needs).
.PHONY: dist
dist: build production
	bash scripts/dist.sh linux $(BUILD) $(BUILD)/production

# The player and the tools for 64-bit Windows, cross-built with mingw-w64. The libraries they need
# are built once from Debian's source packages into a cache outside the tree
# (~/.cache/zorbanel/windows; ZB_WINDOWS_CACHE moves it). Then their release,
# dist/zorbanel-VERSION-windows-x64.zip, with the bundled production, made by the content tool of
# the native build, beside the player.
WIN_BUILD ?= build-windows
.PHONY: windows
windows:
	@bash scripts/install-deps.sh windows
	bash scripts/windows-build.sh $(WIN_BUILD) $(JOBS)
	@$(MAKE) --no-print-directory production
	bash scripts/dist.sh windows $(WIN_BUILD) $(BUILD)/production

# The Windows build's test suite under Wine (without a display, then the tests that draw on a
# virtual screen), and the bundled production captured by the Windows and the Linux build and
# compared pixel by pixel (scripts/test-windows.sh).
.PHONY: test-windows
test-windows:
	bash scripts/test-windows.sh $(WIN_BUILD) $(JOBS)

# Proof under bad input and load, each in a build directory of its own so the normal build stays
# as it is: the test suite under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz
# targets (clang), the player under valgrind, and the benchmark table.
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# intercept_tls_get_addr=0: this compiler's sanitizer runtime takes a dynamic TLS block that malloc
# happened to place 16 bytes past a page boundary for one with an old glibc's header, and reads
# the two words before it as that block's range. The GL driver, loaded at run time, keeps such
# blocks, so now and then the leak check at exit scanned a range that is not there and died
# ("Tracer caught signal 11") in a program that did nothing wrong. Without the interception the
# blocks are still found: they are heap blocks that each thread's TLS points to.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:intercept_tls_get_addr=0 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: test-asan fuzz memcheck bench

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZB_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target all tests
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

fuzz: deps
	@bash scripts/install-deps.sh extra
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZB_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets zorbanel-convert
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

memcheck: build production
	@bash scripts/install-deps.sh extra
	bash scripts/memcheck.sh $(BUILD)

bench: build production
	@bash scripts/install-deps.sh extra
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	bash scripts/bench-table.sh $(BUILD)

# The capture speeds alone (each renderer, to MP4 and to PNG frames, at 800x600 and 1920x1080,
# the whole production at 60 fps), beside real time: a few minutes, best run on an otherwise idle
# machine.
.PHONY: bench-capture
bench-capture: build production
	BENCH_ONLY=capture bash scripts/bench-table.sh $(BUILD)
