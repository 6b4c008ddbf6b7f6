# Installs what the build and the tests need, from the Debian archive only.
# Sourced by ./dev; quick when everything is present.

tv_setup() {
    local need=()
    local pkg
    # command or file that proves a package is present, and the package that brings it
    local checks=(
        "cmake:cmake"
        "ninja:ninja-build"
        "x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix"
        "i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix"
        "/usr/src/googletest/CMakeLists.txt:googletest"
        "/usr/include/stb/stb_image.h:libstb-dev"
        "/usr/x86_64-w64-mingw32/lib/libz.a:libz-mingw-w64-dev"
        "wine:wine"
        "/usr/lib/wine/wine64:wine64"
        "/usr/lib/wine/wine:wine32:i386"
        "Xvfb:xvfb"
        "xauth:xauth"
        "/usr/bin/convert:imagemagick"
        "xdotool:xdotool"
        "/usr/bin/python3:python3"
        "rsvg-convert:librsvg2-bin"
        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf:fonts-dejavu-core"
        "/usr/share/wine/fonts/tahoma.ttf:fonts-wine"
        "makensis:nsis"
        "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf:fonts-liberation2"
    )
    for pkg in "${checks[@]}"; do
        local probe=${pkg%%:*} name=${pkg#*:}
        if [[ $probe == /* ]]; then
            [ -e "$probe" ] || need+=("$name")
        else
            command -v "$probe" >/dev/null 2>&1 || need+=("$name")
        fi
    done
    [ ${#need[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: ${need[*]}; run ./dev setup as root" >&2
        return 1
    fi
    echo "== installing ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
}
