#!/usr/bin/env bash
# Builds the Windows setup Carvenna-Setup-<version>.exe on a Debian 12 machine.
#
#   ./package-windows.sh          builds (once) Qt and the C libraries for Windows, then Carvenna and the setup
#   ./package-windows.sh --test   also builds the test programs for Windows and runs them under Wine
#   ./package-windows.sh --step sources|qt|libs|carvenna|setup|test   one step alone (the earlier ones must be done)
#   ./package-windows.sh --cache-ready   says whether Qt and the C libraries for Windows are built (exit 0) or why not
#
# Everything is built from Debian's own source packages (apt-get source) with the mingw-w64 compilers.
# What is slow (Qt and the C libraries) is built once into a cache outside the tree, keyed by the
# versions it is made of, and reused: the first run takes an hour or more, later runs only Carvenna.
# The cache is ~/.cache/carvenna-windows unless CARVENNA_WINDOWS_CACHE names another folder.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

want_test=0
only=
cache_ready=0
while [ $# -gt 0 ]; do
    case "$1" in
    --test) want_test=1 ;;
    --step) only=${2:?--step needs a step name}; shift ;;
    --cache-ready) cache_ready=1 ;;
    *) echo "usage: $0 [--test] [--step sources|qt|libs|carvenna|setup|test] [--cache-ready]" >&2; exit 2 ;;
    esac
    shift
done

CACHE_ROOT=${CARVENNA_WINDOWS_CACHE:-$HOME/.cache/carvenna-windows}
SRC=$CACHE_ROOT/src
# The cache is keyed by what its contents are made with: the Windows Qt is built with the host tools
# (moc, rcc, uic) of the installed Qt, so both are one version, and by the mingw-w64 compiler.
QT_DEB=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
GCC_VER=$(x86_64-w64-mingw32-g++-posix -dumpversion 2>/dev/null || true)
KEY=qt${QT_DEB}-gcc${GCC_VER}
WORK=$CACHE_ROOT/$KEY
PREFIX=$WORK/prefix
if [ "$cache_ready" = 1 ]; then
    if [ -z "$QT_DEB" ] || [ -z "$GCC_VER" ]; then
        echo "no Windows build: the mingw-w64 compilers or qt6-base-dev are not installed"
        exit 1
    fi
    for part in qtbase qtsvg zlib libzip libxlsxwriter qrencode; do
        if [ ! -f "$PREFIX/.$part" ]; then
            echo "no cached Windows build of $part in $WORK (./package-windows.sh makes it once, an hour or more)"
            exit 1
        fi
    done
    command -v wine >/dev/null || { echo "Wine is not installed (package wine)"; exit 1; }
    exit 0
fi

scripts/install-deps.sh windows
QT_DEB=$(dpkg-query -W -f='${Version}' qt6-base-dev)
GCC_VER=$(x86_64-w64-mingw32-g++-posix -dumpversion)
KEY=qt${QT_DEB}-gcc${GCC_VER}
WORK=$CACHE_ROOT/$KEY
PREFIX=$WORK/prefix
TOOLCHAIN=$WORK/mingw-w64-x86_64.cmake
BUILD=$ROOT/build-windows
VERSION=$(sed -n 's/^project(Carvenna VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
JOBS=${CARVENNA_WINDOWS_JOBS:-$(nproc)}
export WINEDEBUG=-all WINEPREFIX=$WORK/wine
# The toolchain file searches the libraries built here as well as the compiler's own.
export CARVENNA_WINDOWS_PREFIX=$PREFIX
# Programs built here run under Wine (the guide's PDF is written by one) with the Windows Qt's and the
# compiler's libraries.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
GCC_DIR=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
export WINEPATH="$(windows_path "$PREFIX/bin");$(windows_path "$GCC_DIR");$(windows_path /usr/x86_64-w64-mingw32/lib)"
mkdir -p "$SRC" "$WORK"
cp packaging/windows/mingw-w64-x86_64.cmake "$TOOLCHAIN"

say() { printf '\n== %s\n' "$*"; }
step() { [ -z "$only" ] || [ "$only" = "$1" ]; }

# The source of a Debian source package, unpacked once with Debian's patches applied. The line for
# the sources is added beside the archive and suites the machine already uses.
ensure_deb_src() {
    if apt-get source --print-uris qt6-base >/dev/null 2>&1; then
        return
    fi
    say "Adding deb-src lines for the archive this machine uses"
    local SUDO=
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            $SUDO tee /etc/apt/sources.list.d/carvenna-deb-src.sources >/dev/null
    else
        grep -h '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | sed 's/^deb /deb-src /' |
            $SUDO tee /etc/apt/sources.list.d/carvenna-deb-src.list >/dev/null
    fi
    $SUDO apt-get update
}

# fetch <source package>: prints the unpacked folder. The newest version the archive offers is taken;
# when its files cannot be fetched, the next one. When no version's Debian changes can be fetched but an
# upstream source was, that one is used as released, with a warning.
fetch() {
    local pkg=$1 version dir upstream orig versions
    versions=$(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -ruV)
    for version in $versions; do
        dir=$SRC/$pkg-${version#*:}
        [ -f "$dir/.unpacked" ] && { echo "$dir"; return 0; }
    done
    for version in $versions; do
        dir=$SRC/$pkg-${version#*:}
        if (cd "$SRC" && apt-get source -qq --download-only "$pkg=$version" >&2); then
            rm -rf "$dir"
            (cd "$SRC" && dpkg-source -x "${pkg}_${version#*:}.dsc" "$dir" >/dev/null)
            touch "$dir/.unpacked"
            echo "$dir"
            return 0
        fi
    done
    for version in $versions; do
        dir=$SRC/$pkg-${version#*:}
        upstream=${version#*:}
        orig=$(cd "$SRC" && ls "${pkg}_${upstream%-*}".orig.tar.* 2>/dev/null | head -1)
        [ -n "$orig" ] || continue
        echo "Warning: the Debian changes of $pkg $version could not be fetched; using $orig as released." >&2
        rm -rf "$dir"
        mkdir -p "$dir"
        tar -xf "$SRC/$orig" -C "$dir" --strip-components=1
        touch "$dir/.unpacked"
        echo "$dir"
        return 0
    done
    echo "The source of $pkg could not be fetched (apt-get source $pkg): check the deb-src lines and the network." >&2
    return 1
}

cmake_windows() { # the common options of every library built for Windows, at the lowest priority
    nice -n 19 cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
        -DCMAKE_PREFIX_PATH="$PREFIX" "$@"
}

build_qtbase() {
    [ -f "$PREFIX/.qtbase" ] && return
    local src
    src=$(fetch qt6-base)
    say "Building Qt $QT_DEB for Windows (about 1,200 compile steps: 40 minutes or more on two cores)"
    mkdir -p "$WORK/build/qtbase"
    # Only the modules Carvenna uses are wanted; the rest is switched off. The bundled image, font and
    # text libraries are used, as Windows has none of them. OpenGL stays on: the Windows platform
    # plugin does not build without it in this Qt.
    [ -f "$WORK/build/qtbase/build.ninja" ] ||
        cmake_windows -S "$src" -B "$WORK/build/qtbase" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
            -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
            -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF \
            -DFEATURE_network=OFF -DFEATURE_xml=OFF -DFEATURE_direct2d=OFF
    nice -n 19 ninja -C "$WORK/build/qtbase" -j"$JOBS"
    cmake --install "$WORK/build/qtbase"
    touch "$PREFIX/.qtbase"
}

build_qtsvg() {
    [ -f "$PREFIX/.qtsvg" ] && return
    local src
    src=$(fetch qt6-svg)
    say "Building Qt SVG for Windows"
    nice -n 19 cmake -G Ninja -S "$src" -B "$WORK/build/qtsvg" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    nice -n 19 ninja -C "$WORK/build/qtsvg" -j"$JOBS"
    cmake --install "$WORK/build/qtsvg"
    touch "$PREFIX/.qtsvg"
}

# build_lib <stamp> <source folder> <cmake options...>: a C library, shared, with its pkg-config file.
build_lib() {
    local name=$1 src=$2
    shift 2
    [ -f "$PREFIX/.$name" ] && return
    say "Building $name for Windows"
    rm -rf "$WORK/build/$name"
    cmake_windows -S "$src" -B "$WORK/build/$name" -DBUILD_SHARED_LIBS=ON "$@"
    nice -n 19 ninja -C "$WORK/build/$name" -j"$JOBS"
    cmake --install "$WORK/build/$name"
    touch "$PREFIX/.$name"
}

build_libs() {
    local zlib
    zlib=$(fetch zlib)
    # Debian's zlib source leaves out the win32 folder, whose resource script (the DLL's version
    # details) the mingw build names: a small one stands in for it.
    if [ ! -f "$zlib/win32/zlib1.rc" ]; then
        local zv
        zv=$(sed -n 's/^#define ZLIB_VERSION "\([^"]*\)".*/\1/p' "$zlib/zlib.h")
        mkdir -p "$zlib/win32"
        printf '1 VERSIONINFO\nFILEVERSION %s,0\nBEGIN\n  BLOCK "StringFileInfo"\n  BEGIN\n    BLOCK "040904E4"\n    BEGIN\n      VALUE "FileDescription", "zlib data compression library"\n      VALUE "FileVersion", "%s"\n    END\n  END\nEND\n' \
            "$(echo "$zv" | tr . ,)" "$zv" >"$zlib/win32/zlib1.rc"
    fi
    # zlib puts its pkg-config file under share/ unless told otherwise.
    build_lib zlib "$zlib" -DINSTALL_PKGCONFIG_DIR="$PREFIX/lib/pkgconfig"
    build_lib libzip "$(fetch libzip)" -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF \
        -DENABLE_OPENSSL=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DBUILD_TOOLS=OFF \
        -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
    build_lib libxlsxwriter "$(fetch libxlsxwriter)"
    build_lib qrencode "$(fetch qrencode)" -DWITH_TOOLS=OFF -DWITHOUT_PNG=ON
    # The libraries' pkg-config files link zlib as -lz: its import library under that name too.
    [ -f "$PREFIX/lib/libz.dll.a" ] || cp "$PREFIX/lib/libzlib.dll.a" "$PREFIX/lib/libz.dll.a"
    # qrencode installs its DLL beside the import library; Windows looks for it beside the programs.
    [ ! -f "$PREFIX/lib/libqrencode.dll" ] || mv "$PREFIX/lib/libqrencode.dll" "$PREFIX/bin/"
}

build_carvenna() {
    say "Building Carvenna for Windows in $BUILD"
    local tests=OFF
    [ "$want_test" = 1 ] || [ "$only" = test ] && tests=ON
    PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig PKG_CONFIG_PATH= \
        cmake -G Ninja -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
        -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
        -DCARVENNA_TESTS=$tests -DCARVENNA_BENCH=OFF
    local targets=(carvenna carvenna_setpassword guida_pdf)
    [ "$tests" = OFF ] || targets+=(carvenna_windows_tests)
    QT_PLUGIN_PATH=$PREFIX/plugins nice -n 5 ninja -C "$BUILD" -j"$JOBS" "${targets[@]}"
}

# The program folder as the setup installs it: the program, the Qt libraries and plugins it loads,
# the compiler's runtime, the C libraries, Qt's Italian texts and the guide.
stage() {
    local dir=$BUILD/stage
    say "Gathering the program folder in $dir"
    rm -rf "$dir"
    DESTDIR= cmake --install "$BUILD" --prefix "$dir"
    for m in Core Gui Widgets PrintSupport Svg SvgWidgets Multimedia MultimediaWidgets Network; do
        [ ! -f "$PREFIX/bin/Qt6$m.dll" ] || cp "$PREFIX/bin/Qt6$m.dll" "$dir/"
    done
    for p in platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qjpeg.dll imageformats/qico.dll \
        imageformats/qgif.dll imageformats/qsvg.dll iconengines/qsvgicon.dll; do
        if [ -f "$PREFIX/plugins/$p" ]; then
            mkdir -p "$dir/$(dirname "$p")"
            cp "$PREFIX/plugins/$p" "$dir/$p"
        fi
    done
    [ ! -d "$PREFIX/plugins/multimedia" ] || cp -r "$PREFIX/plugins/multimedia" "$dir/"
    # The C libraries (zlib, libzip, libxlsxwriter, libqrencode): their DLLs are the lib*.dll of the cache.
    cp "$PREFIX"/bin/lib*.dll "$dir/"
    cp "$GCC_DIR/libstdc++-6.dll" "$GCC_DIR/libgcc_s_seh-1.dll" /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$dir/"
    # Qt's own dialogs in Italian: the translation files are the same on every system.
    mkdir -p "$dir/translations"
    cp /usr/share/qt6/translations/qtbase_it.qm "$dir/translations/"
    # Qt finds its plugins and translations beside the program, not where it was built.
    printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$dir/qt.conf"
    # The first password file, put in place by the setup only where there is none.
    rm -f "$BUILD/unins000.dll"
    wine "$dir/carvenna_setpassword.exe" "$(windows_path "$BUILD/unins000.dll")" CARVENNA
    rm -f "$dir/carvenna_setpassword.exe"
    x86_64-w64-mingw32-strip "$dir"/*.exe
    check_dlls "$dir"
}

# Every library the program and its plugins load is in the folder or is part of Windows (Wine's
# system folder holds the same names): a missing one would stop the program on the office's PC.
check_dlls() {
    local dir=$1 f name missing=0
    while IFS= read -r f; do
        for name in $(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p'); do
            if [ -z "$(find "$dir" -maxdepth 1 -iname "$name" | head -1)" ] &&
                [ -z "$(find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$name" | head -1)" ] &&
                [[ "${name,,}" != api-ms-win-* ]]; then
                echo "Missing from the program folder: $name (loaded by ${f#"$dir"/})" >&2
                missing=1
            fi
        done
    done < <(find "$dir" -iname '*.exe' -o -iname '*.dll')
    [ "$missing" = 0 ]
}

# The uninstaller's list: every file and folder the setup puts in the program folder, and nothing else.
uninstall_list() {
    local dir=$1
    (
        cd "$dir"
        find . -type f | sort | sed 's|^\./||; s|/|\\|g' | while IFS= read -r f; do printf '    Delete "$INSTDIR\\%s"\n' "$f"; done
        find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g' | while IFS= read -r d; do printf '    RMDir "$INSTDIR\\%s"\n' "$d"; done
    )
}

make_setup() {
    stage
    say "Making Carvenna-Setup-$VERSION.exe"
    uninstall_list "$BUILD/stage" >"$BUILD/files.nsh"
    makensis -V2 -DVERSION="$VERSION" -DSTAGE="$BUILD/stage" -DFIRSTPASSWORD="$BUILD/unins000.dll" \
        -DFILES="$BUILD/files.nsh" -DOUTFILE="$ROOT/Carvenna-Setup-$VERSION.exe" packaging/windows/carvenna.nsi
    ls -l "$ROOT/Carvenna-Setup-$VERSION.exe"
}

run_tests() {
    say "Running the Windows test programs under Wine"
    local ok=0
    packaging/windows/run-wine-tests.sh "$BUILD" "$PREFIX" || ok=1
    if [ -f "$ROOT/Carvenna-Setup-$VERSION.exe" ]; then
        say "Checking the setup under Wine"
        packaging/windows/check-setup.sh "$ROOT/Carvenna-Setup-$VERSION.exe" || ok=1
    fi
    return $ok
}

if step sources; then
    ensure_deb_src
    for p in qt6-base qt6-svg zlib libzip libxlsxwriter qrencode; do fetch "$p" >/dev/null; done
fi
[ -d "$WORK/wine" ] || wine wineboot -i >/dev/null 2>&1 || true
if step qt; then
    build_qtbase
    build_qtsvg
fi
step libs && build_libs
if step carvenna || step test; then
    build_carvenna
fi
step setup && [ "$only" != test ] && make_setup
if [ "$want_test" = 1 ] || [ "$only" = test ]; then
    run_tests
fi
