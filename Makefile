# Front door for building and testing vorn. The real build is CMake; these targets only drive it.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD ?= build
SANBUILD ?= build-san
EXAMPLE ?= examples/hello.vn

.PHONY: all build run test test-release test-sanitize bench fuzz valgrind clean

all: build

build:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@echo "running $(EXAMPLE)"; \
	./$(BUILD)/vorn $(EXAMPLE); status=$$?; echo "exit status: $$status"

test: test-release test-sanitize

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same suite again with AddressSanitizer and UndefinedBehaviorSanitizer; any report fails it.
test-sanitize:
	@cmake -S . -B $(SANBUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_SANITIZE=ON >/dev/null
	@cmake --build $(SANBUILD) -j $(JOBS)
	cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets in fuzz/, built with clang, each run for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz:
	fuzz/run $(FUZZ_SECONDS)

# Every program test under valgrind's memcheck (slow; not part of make test).
valgrind:
	tests/valgrind_programs

bench: build
	@if [ -x bench/run ]; then bench/run; else echo "no benchmarks yet"; fi

clean:
	rm -rf $(BUILD) $(SANBUILD) build-fuzz build-valgrind
