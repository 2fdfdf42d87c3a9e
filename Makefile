# The two entry points: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 600
JOBS ?= $(shell nproc)
FUZZ_TARGETS = base64 participant_id passport_document passport_reopen passport_round_trip jpeg_import jpeg_check
# ccache keys on paths relative to the checkout, so every clone shares one cache.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: deps configure build run test test-sanitize format format-check fuzz install package clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/src/lumarinda-passport

# The suite twice: the ordinary build, then every test again under the sanitizers.
test: format-check build test-sanitize
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DLUMARINDA_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) -LE real-window

# Every C++ file as .clang-format lays it out: `make format` rewrites, `make format-check` only looks.
CXX_SOURCES = find src tests fuzz bench -name '*.cpp' -o -name '*.h'
format: deps
	$(CXX_SOURCES) | xargs clang-format -i

format-check: deps
	$(CXX_SOURCES) | xargs clang-format --dry-run --Werror

# Runs each fuzzer for FUZZ_SECONDS on a working copy of its corpus; new crashes land in $(FUZZ_DIR).
fuzz:
	bash scripts/install-deps.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMARINDA_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/crashes/$$t; \
		cp -n fuzz/corpus/$$t/* $(FUZZ_DIR)/corpus/$$t/ 2>/dev/null || true; \
		QT_QPA_PLATFORM=offscreen $(FUZZ_DIR)/fuzz/$${t}_fuzzer -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 \
			-artifact_prefix=$(FUZZ_DIR)/crashes/$$t/ $(FUZZ_DIR)/corpus/$$t || exit 1; \
	done

install: build
	cmake --install $(BUILD_DIR)

package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
