# Sourced by run.sh and test.sh: makes sure the Debian packages the editor
# and its tests need are installed. As root (or with password-less sudo) it
# installs what is missing; otherwise it prints the one apt-get line needed
# and stops.

kestrun_packages_run="cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation fonts-dejavu-core"
kestrun_packages_test="$kestrun_packages_run libbenchmark-dev xvfb xdotool libx11-6 python3 git"
# libpng: sprite pictures are decoded row by row; clang with its libFuzzer runtime: the fuzz targets.
kestrun_packages_run+=" libpng-dev"
kestrun_packages_test+=" libpng-dev clang libclang-rt-dev"
# Qt's own texts (the dialogs' titles and buttons) in the desktop's language.
kestrun_packages_run+=" qt6-translations-l10n"
kestrun_packages_test+=" qt6-translations-l10n"
# kmp export and import: zlib and zstd for compressed Tiled layers; Tiled
# itself (tiled, tmxrasterizer) for the tests that prove them against it.
kestrun_packages_run+=" zlib1g-dev libzstd-dev pkgconf"
kestrun_packages_test+=" zlib1g-dev libzstd-dev pkgconf tiled"
# The install and package checks (tests/packaging): the desktop's validators
# and MIME tools, the Debian package tools and the manual-page formatter.
kestrun_packages_packaging="desktop-file-utils appstream libxml2-utils shared-mime-info xdg-utils libfile-mimeinfo-perl lintian dpkg-dev file man-db groff-base gzip"
kestrun_packages_test="$kestrun_packages_test $kestrun_packages_packaging"
# kmp gallery's page opened in a browser without a display.
kestrun_packages_test+=" chromium"
# The C++ layout check (tools/check-format.sh): Debian 12's clang-format 14.
kestrun_packages_test+=" clang-format"

kestrun_ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
            sudo="sudo"
        else
            echo "Missing packages. Install them with:" >&2
            echo "  sudo apt-get install -y ${missing[*]}" >&2
            exit 1
        fi
    fi
    echo "Installing: ${missing[*]}" >&2
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}
