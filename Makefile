# The two commands a newcomer needs: `make run` and `make test`.
# Both install what is missing (scripts/setup.sh) and build first.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_SECONDS ?= 300
FUZZ_RUNS  ?= 15000
SAMPLE     ?= samples/welcome.docx
JOBS       ?= $(shell nproc)

CONFIGURE = cmake -G Ninja -DTOVIN_WERROR=ON

.PHONY: setup build run test test-fast asan fuzz bench format clean

setup:
	@scripts/setup.sh

build: setup
	@$(CONFIGURE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

# The application where there is a display; without one, the sample's pages as a PDF.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	    $(BUILD)/Tovin/tovin $(SAMPLE); \
	else \
	    pdf=$(BUILD)/$$(basename $(SAMPLE) .docx).pdf; \
	    $(BUILD)/Tovin/tovin --export-pdf $$pdf $(SAMPLE) && \
	    echo "run: no display (DISPLAY and WAYLAND_DISPLAY unset); the sample's pages are in $$pdf"; \
	fi

# Everything: the engine, corpus, tool and application tests; the same engine tests under
# AddressSanitizer + UndefinedBehaviorSanitizer; a short libFuzzer pass per target.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(CONFIGURE) -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	    -DTOVIN_SANITIZE=ON -DTOVIN_FUZZ=ON -DTOVIN_BENCH=OFF -DTOVIN_APP=OFF >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	scripts/fuzz.sh $(ASAN_BUILD) $(FUZZ_SECONDS) $(FUZZ_RUNS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L engine

# A longer, randomly seeded pass to look for new faults (FUZZ_SECONDS per target).
fuzz: setup
	@$(CONFIGURE) -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	    -DTOVIN_SANITIZE=ON -DTOVIN_FUZZ=ON -DTOVIN_BENCH=OFF -DTOVIN_APP=OFF >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	scripts/fuzz.sh $(ASAN_BUILD) $(FUZZ_SECONDS)

test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	bench/make-docs.sh $(BUILD)/bench-docs
	TOVIN_BENCH_DOCS=$(BUILD)/bench-docs $(BUILD)/bench/tovin-bench
	TOVIN_BENCH_DOCS=$(BUILD)/bench-docs QT_QPA_PLATFORM=offscreen $(BUILD)/bench/tovin-typing-bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/tovin-rail-bench
	bench/app.sh $(BUILD) $(BUILD)/bench-docs
	QT_QPA_PLATFORM=offscreen bench/pdf-export.sh $(BUILD) $(BUILD)/bench-docs

format:
	clang-format -i $$(git ls-files '*.h' '*.cpp')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
