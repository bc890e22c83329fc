# hostkit: `make demo` shows the tour, `make test` runs every test. Both set up a fresh Debian machine first.
BUILD ?= build
NATIVE := $(BUILD)/native
WIN32 := $(BUILD)/win32
JOBS ?= $(shell nproc)
DIST := $(BUILD)/dist
# The one version, read from the CMake project (the DLL's version resource carries it too).
VERSION := $(shell sed -n 's/^project.hostkit VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: all setup build demo test dist bench fuzz docs-images clean

all: build

setup:
	@tools/setup.sh

build: setup
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DHOSTKIT_DIST_DIR=$(abspath $(DIST)) >/dev/null
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHOSTKIT_WIN32_DIR=$(abspath $(WIN32)) >/dev/null
	cmake --build $(WIN32) -j $(JOBS)
	cmake --build $(NATIVE) -j $(JOBS)

# The Wine runs start a virtual display and a Wine server when none runs, and leave them for the next run; the demo
# ends the ones it started (tools/wine/stop.sh BUILD_FOLDER ends them by hand).
demo: build
	@xvfb_pid=$$(cat $(WIN32)/wine-state/xvfb.pid 2>/dev/null); \
	if [ -z "$${DISPLAY:-}" ] && [ -n "$$xvfb_pid" ] && kill -0 "$$xvfb_pid" 2>/dev/null; then started=; else started=1; fi; \
	status=0; tools/wine/run.sh $(WIN32)/bin/hostrun.exe --echo examples/tour.hks || status=$$?; \
	if [ -n "$$started" ]; then tools/wine/stop.sh $(WIN32); fi; exit $$status

test: build
	ctest --test-dir $(NATIVE) --output-on-failure -j 2

# The release zip is packed by every build from the DLL that the tests run, and checked by the test dist.zip:
# `make dist` hands it over once every test has passed.
dist: test
	@echo "$(DIST)/hostkit-$(VERSION).zip:"
	@cmake -E tar tvf $(DIST)/hostkit-$(VERSION).zip

bench: build
	cmake --build $(NATIVE) --target benchmarks -j $(JOBS)
	cmake --build $(WIN32) --target benchmarks -j $(JOBS)
	tools/bench.sh $(NATIVE) $(WIN32)

# Pictures of the dialogs under Xvfb: BMPs copied from the screen, turned into PNGs for docs/commands.md.
docs-images: build
	cmake --build $(WIN32) --target docs_images -j $(JOBS)
	rm -rf $(WIN32)/docs-images && mkdir -p $(WIN32)/docs-images docs/images
	tools/wine/run.sh $(WIN32)/bin/docs_images.exe "Z:$(abspath $(WIN32))/docs-images" </dev/null
	for f in $(WIN32)/docs-images/*.bmp; do convert "$$f" -strip "docs/images/$$(basename "$${f%.bmp}").png"; done

# A longer fuzz run of the regex module (seconds in FUZZ_SECONDS); new inputs and the fuzzer's findings (crash-,
# slow-unit-, ...) stay in build/.
FUZZ_SECONDS ?= 600
fuzz: build
	rm -rf $(NATIVE)/fuzz-corpus && cp -r tests/fuzz/regex_corpus $(NATIVE)/fuzz-corpus && mkdir -p $(NATIVE)/fuzz-findings
	$(NATIVE)/tests/fuzz/regex_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 -max_len=4096 \
	  -artifact_prefix=$(abspath $(NATIVE))/fuzz-findings/ \
	  -print_final_stats=1 $(NATIVE)/fuzz-corpus

clean:
	rm -rf $(BUILD)
