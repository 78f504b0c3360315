# Orvane: the two commands of the README, and a few more.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=0

.PHONY: all deps build run test test-sanitize format format-check bench fuzz package clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Starts Orvane in the current directory, where it keeps "System.ini".
# Without any display (a bare console, ssh) it runs on Qt's offscreen platform: no windows, but
# the timed wakes go on; Ctrl+C ends it.
run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "run: no display; starting Orvane without windows (Ctrl+C ends it)"; \
	  QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/src/orvane; \
	else \
	  $(BUILD_DIR)/src/orvane; \
	fi

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

# The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer (the
# install and package tests are left out: they check the release build's files).
SANITIZE_DIR ?= $(BUILD_DIR)-sanitize
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && ASAN_OPTIONS=$(ASAN_OPTIONS) UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS) -LE install $(CTEST_FLAGS)

# clang-format over every C++ file of the tree, or only a check that nothing would change.
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format:
	@clang-format -i $(FORMAT_FILES)
format-check:
	@clang-format --dry-run --Werror $(FORMAT_FILES) && echo "format-check: every file as clang-format writes it"

bench: deps
	cmake -S . -B $(BUILD_DIR)-bench -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_BENCH=ON -DORVANE_BUILD_TESTS=OFF
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)
	cd $(BUILD_DIR)-bench && ctest -L bench --output-on-failure -V

fuzz: deps
	CXX=clang++ cmake -S . -B $(BUILD_DIR)-fuzz -DORVANE_BUILD_FUZZ=ON -DORVANE_BUILD_TESTS=OFF
	cmake --build $(BUILD_DIR)-fuzz -j $(JOBS)

# The Debian package: built for /usr in a tree of its own, with Debian's hardening flags.
package: deps
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B $(BUILD_DIR)-pkg -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DORVANE_BUILD_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(BUILD_DIR)-pkg -j $(JOBS)
	cd $(BUILD_DIR)-pkg && cpack
	cp $(BUILD_DIR)-pkg/orvane_*.deb .

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-bench $(BUILD_DIR)-fuzz $(BUILD_DIR)-pkg $(SANITIZE_DIR)
