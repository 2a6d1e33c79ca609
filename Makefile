# Two commands for a newcomer: `make run` and `make test`.
BUILD_PACKAGES := cmake ninja-build g++ qt6-base-dev libfontconfig-dev
RUN_PACKAGES := fonts-dejavu-core fonts-liberation fonts-symbola
TEST_PACKAGES := libgtest-dev libgmock-dev xvfb xauth x11-utils desktop-file-utils appstream man-db qt6-base-private-dev \
	acl attr e2fsprogs xdotool openbox fuse3 libfuse3-dev pkg-config ent python3
PACKAGE_PACKAGES := dpkg-dev file lintian
SCREENSHOT_PACKAGES := xvfb x11-utils xdotool imagemagick
# The peer that the headless report and the formats are timed against.
BENCH_PACKAGES := ent
SCREEN_READER_PACKAGES := orca speech-dispatcher openbox at-spi2-core python3-pyatspi dbus dbus-x11 xdotool xvfb xauth
# The virtual display `make screenshots` starts.
SCREENSHOT_DISPLAY ?= :92

.PHONY: run test bench build package screenshots accessibility-check screen-reader-check packages-build packages-run packages-test

packages-build:
	@scripts/ensure-packages $(BUILD_PACKAGES)

packages-run: packages-build
	@scripts/ensure-packages $(RUN_PACKAGES)

packages-test: packages-run
	@scripts/ensure-packages $(TEST_PACKAGES)

# The program alone: the benchmarks and the test libraries are for `make bench` and `make test`.
build: packages-run
	cmake --preset release
	cmake --build --preset release --target tallivor

run: build
	build/release/tallivor

test: packages-test
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

# Reads the running program through AT-SPI, as a screen reader does.
accessibility-check: packages-test
	cmake --preset dev
	cmake --build --preset dev --target tallivor
	scripts/accessibility-check build/dev/tallivor

# Orca reads the running program to a keyboard-only user and the check asserts
# what it said; skipped where Orca cannot be installed.
screen-reader-check: packages-run
	cmake --preset dev
	cmake --build --preset dev --target tallivor
	SCREEN_READER_PACKAGES="$(SCREEN_READER_PACKAGES)" scripts/screen-reader-check build/dev/tallivor

bench: packages-run
	@scripts/ensure-packages $(BENCH_PACKAGES)
	cmake --preset release -DTALLIVOR_BENCH=ON
	cmake --build --preset release
	build/release/bench/counting_bench
	build/release/bench/window_bench
	build/release/bench/report_bench
	build/release/bench/memory_bench
	build/release/bench/formats_bench
	@scripts/ensure-packages xvfb time
	bench/startup-ratio build/release

# A Debian package built with the distribution's hardening flags, in build/package,
# checked by lintian.
package: packages-build
	@scripts/ensure-packages $(PACKAGE_PACKAGES)
	cmake --preset package && cmake --build --preset package && cd build/package && cpack -G DEB
	lintian --fail-on error,warning build/package/tallivor_*.deb

# The README's pictures, taken from the release program on a virtual display.
screenshots: packages-run
	@scripts/ensure-packages $(SCREENSHOT_PACKAGES)
	cmake --preset release && cmake --build --preset release --target tallivor
	scripts/take-screenshots build/release/tallivor resources/screenshots $(SCREENSHOT_DISPLAY)
