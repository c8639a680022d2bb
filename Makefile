# The two everyday commands: `make run` opens the desktop program on the
# built-in sample page (without a display it converts the page to a compound
# DjVu file and shows what it wrote), `make check` installs what is missing,
# builds under the sanitizers and runs every test.
BUILD   ?= build
SAMPLE  ?= samples/sample-page.pgm
OUT     ?= out
FUZZ_SECONDS ?= 60
CMAKE_GENERATOR := -G Ninja

.PHONY: all run check setup release bench fuzzers fuzz format clean

all: release

setup:
	@./scripts/setup.sh

$(BUILD)/release/build.ninja:
	cmake -S . -B $(BUILD)/release $(CMAKE_GENERATOR) -DCMAKE_BUILD_TYPE=Release -DLEAFSMITH_TESTS=OFF

release: setup $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release

run: release
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "$(BUILD)/release/app/leafsmith $(SAMPLE)"; \
	  $(BUILD)/release/app/leafsmith $(SAMPLE); \
	else \
	  echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the desktop"; \
	  echo "program is not started; converting the sample page with leafsmith-cli instead."; \
	  mkdir -p $(OUT) && \
	  $(BUILD)/release/cli/leafsmith-cli convert $(SAMPLE) $(OUT)/sample-page.djvu && \
	  $(BUILD)/release/cli/leafsmith-cli info $(OUT)/sample-page.djvu; \
	fi

$(BUILD)/check/build.ninja:
	cmake -S . -B $(BUILD)/check $(CMAKE_GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DLEAFSMITH_SANITIZE=ON

check: setup $(BUILD)/check/build.ninja
	cmake --build $(BUILD)/check
	cd $(BUILD)/check && ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
	  ctest --output-on-failure -j $$(nproc)
	$(MAKE) --no-print-directory fuzzers

bench: release
	$(BUILD)/release/bench/leafsmith-bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/release/bench/leafsmith-desktop-bench

$(BUILD)/fuzz/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)/fuzz $(CMAKE_GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLEAFSMITH_FUZZ=ON -DLEAFSMITH_TESTS=OFF -DLEAFSMITH_BENCH=OFF

# The libFuzzer targets (and everything else) built with clang; `make check`
# builds them too, so they never stop compiling.
fuzzers: setup $(BUILD)/fuzz/build.ninja
	cmake --build $(BUILD)/fuzz

# Runs every fuzzer for FUZZ_SECONDS on a working copy of its seed corpus. Leaks
# inside DjVuLibre that cannot be guarded against are suppressed (see the file).
fuzz: fuzzers
	@for f in $(BUILD)/fuzz/fuzz/*_fuzzer; do \
	  name=$$(basename $$f _fuzzer); seeds=fuzz/corpus/$${name#read_}; \
	  work=$(BUILD)/fuzz/corpus/$$name; mkdir -p $$work fuzz/artifacts; \
	  echo "== $$name for $(FUZZ_SECONDS) s"; \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/djvulibre.supp \
	  $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 -artifact_prefix=fuzz/artifacts/ \
	    $$work $$seeds || exit 1; \
	done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(OUT)
