# The two entry points of a new checkout:
#   make demo   installs what is missing, builds, and runs tolva on the examples
#   make test   builds and runs the whole test suite, also under the sanitizers
JOBS ?= $(shell nproc)

.PHONY: all deps build demo test test-plain test-asan test-tsan bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

demo: build
	@scripts/demo build

test: test-plain test-asan test-tsan

test-plain: build
	ctest --test-dir build --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTOLVA_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)

# Races are caught where the tool runs threads: the tool tests that run
# workers, PDB files and RNAML documents loading side by side, on a build
# with ThreadSanitizer (only the tool and its tests), and the temporary
# files made on a thread of their own.
TSAN_TESTS = ToolInputs\.ReadOrRefusedAsFromOneThreadAndOneFile|ToolRun\.(SameOutputWithAndWithoutThreads|ParallelLoadingKeepsFileOrder|WorkerFailureBecomesTheErrorLine)|RnamlTool\.(DocumentsLoadOnThreadsInCommandLineOrder|FindingsAndReasonsComeAheadOfTheErrorLine)|SignalCleanup\.OnlyTheTemplatesSixLettersAreReplaced
test-tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_TSAN=ON
	cmake --build build-tsan -j $(JOBS) --target tolva_tests
	TSAN_OPTIONS=halt_on_error=1 \
	  ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

bench: build
	@for b in build/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf build build-asan build-tsan
