# Front door for building and testing vorn. The real build is CMake; these targets only drive it.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD ?= build
SANBUILD ?= build-san
EXAMPLE ?= examples/hello.vn
PREFIX ?= /usr/local
DESTDIR ?=

# Recursive makes (cmake --build drives one) would otherwise announce every directory they enter.
MAKEFLAGS += --no-print-directory

.PHONY: all configure vorn build run install test test-release test-sanitize bench fuzz valgrind clean

all: vorn

configure:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

# Only the interpreter: no test executables, no GoogleTest. The compiler's output goes to a log
# that is shown only when the build fails, so a good build prints one line.
vorn: configure
	@echo "building $(BUILD)/vorn (log: $(BUILD)/build.log)"
	@cmake --build $(BUILD) --target vorn -j $(JOBS) >$(BUILD)/build.log 2>&1 || \
		{ cat $(BUILD)/build.log; exit 1; }

# Everything, the test executables included.
build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: vorn
	@echo "running $(EXAMPLE)"; \
	./$(BUILD)/vorn $(EXAMPLE); status=$$?; echo "exit status: $$status"

# The binary, the manual page, the docs, the examples and the editor files under PREFIX; DESTDIR,
# when set, is put in front of every path (for staged installs and packaging).
install: vorn
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

test: test-release test-sanitize

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The fast tier again with AddressSanitizer and UndefinedBehaviorSanitizer; any report fails it.
# (The slow tier, tests millions of levels deep and the hostile programs, runs in the release pass.)
test-sanitize:
	@cmake -S . -B $(SANBUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_SANITIZE=ON >/dev/null
	@cmake --build $(SANBUILD) -j $(JOBS)
	cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --output-on-failure -j $(JOBS) -LE "slow|machine"

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
