# The two commands a user needs: `make play` and `make test`. Everything else serves them.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps build production test play video clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The bundled production, made again only when a content tool or a hand-written part changed.
PRODUCTION_STAMP := $(BUILD)/production/.made
production: build
	@$(MAKE) --no-print-directory $(PRODUCTION_STAMP)

$(PRODUCTION_STAMP): $(BUILD)/zorbanel-content $(BUILD)/zorbanel-convert $(wildcard production/*)
	$(BUILD)/zorbanel-content $(BUILD)/production
	touch $@

test: build production
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

play: build production
	cd $(BUILD)/production && ../zorbanel

# The production as a video with its music, every frame rendered off screen at a fixed rate
# (VIDEO_FPS). Slow where OpenGL runs in software: the progress line tells how long is left.
VIDEO_FPS ?= 60
video: build production
	@bash scripts/install-deps.sh core video
	$(BUILD)/zorbanel-capture -C $(BUILD)/production --fps $(VIDEO_FPS) -o $(BUILD)/zorbanel.mp4

clean:
	rm -rf $(BUILD)
