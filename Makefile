# The two commands a new user needs:
#   make run   builds everything and opens the bundled sample image
#   make test  builds everything and runs every test
BUILD ?= build
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: run test bootstrap configure build ci ci-asan ci-tsan ci-fuzz ci-avx2

bootstrap:
	@bash scripts/bootstrap.sh

configure: bootstrap
	@cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j 2

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 300

run: build
	@bash scripts/run.sh $(BUILD)

# make install PREFIX=/opt/wsq (default /usr/local); DESTDIR stages the tree.
PREFIX ?= /usr/local
.PHONY: install
install: configure
	@cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build $(BUILD) -j 2
	cmake --install $(BUILD)

# The Debian package, built for the /usr prefix.
.PHONY: deb
deb: configure
	@cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	@cmake --build $(BUILD) -j 2
	cd $(BUILD) && cpack -G DEB

# The CI stages, each runnable alone; .ci/run runs test and all four.
ci:
	@bash .ci/run

ci-asan ci-tsan ci-fuzz ci-avx2: ci-%: bootstrap
	@bash scripts/ci/$*.sh
