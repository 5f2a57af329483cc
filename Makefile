# The two commands a user needs: `make play` and `make test`. Everything else serves them.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps build production test play clean

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

clean:
	rm -rf $(BUILD)
