# Builds, once per machine, what Reruzad needs on Windows and Debian has only for Linux: ICU, nghttp2,
# libcurl and Qt's qtbase, each from Debian's own source package, cross-compiled with MinGW-w64.
# Each goes into a prefix of its own under $WINDOWS_CACHE named by its version and a hash of how it was
# built, so a second run reuses it and a change of flags builds it anew. Sourced by scripts/windows.

WINDOWS_CACHE=${WINDOWS_CACHE:-/var/cache/reruzad}
TRIPLE=x86_64-w64-mingw32
MINGW_ROOT=/usr/$TRIPLE
TOOLCHAIN=$PWD/packaging/windows/toolchain.cmake
JOBS=$(nproc)

# The Debian packages the whole Windows stage needs.
WINDOWS_PACKAGES=(g++ make mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine
    fonts-wine xvfb xauth xdotool ninja-build cmake qt6-base-dev qt6-base-dev-tools dpkg-dev autoconf automake libtool nsis
    python3 zip imagemagick)

ICU_FLAGS="--disable-layoutex --disable-tests --disable-samples --disable-extras --with-data-packaging=library"
# nghttp2 1.52 fails to link when it finds both clock_gettime (MinGW has it) and GetTickCount64: the
# Windows clock alone it builds with.
NGHTTP2_FLAGS="-DENABLE_LIB_ONLY=ON -DENABLE_STATIC_LIB=OFF -DENABLE_SHARED_LIB=ON -DENABLE_DOC=OFF
    -DHAVE_CLOCK_GETTIME=OFF"
CURL_FLAGS="--with-schannel --with-winidn --enable-shared --disable-static --disable-ldap --disable-manual
    --without-libpsl --without-brotli --without-zstd --without-libidn2 --without-libssh2 --disable-docs"
QT_FLAGS="-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_BENCHMARKS=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_icu=ON -DINPUT_opengl=no
    -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=ON -DFEATURE_pkg_config=OFF -DFEATURE_zstd=OFF
    -DFEATURE_brotli=OFF -DFEATURE_glib=OFF -DFEATURE_tabletevent=OFF -DFEATURE_androiddeployqt=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_jpeg=OFF -DFEATURE_direct2d=OFF
    -DFEATURE_testlib=ON"

# The ICU data the program uses: the converters with their aliases, and the time zones QTimeZone reads.
ICU_DATA_KEEP='\.cnv$|^cnvalias\.icu$|^(zoneinfo64|timezoneTypes|metaZones|windowsZones)\.res$'

# prefix NAME VERSION RECIPE...: the cache folder for a component, named by a hash of everything that
# decides what it holds.
prefix() {
    local name=$1 version=$2
    shift 2
    echo "$WINDOWS_CACHE/$name-$version-$(printf '%s\n' "$@" "$(cat "$TOOLCHAIN")" | sha256sum | cut -c1-12)"
}

# source PACKAGE: unpacks Debian's source package once into the cache's work folder and prints its folder.
debian_source() {
    local package=$1 work=$WINDOWS_CACHE/sources
    mkdir -p "$work"
    if ! compgen -G "$work/$package-[0-9]*/debian" >/dev/null; then
        if ! apt-get source --print-uris "$package" >/dev/null 2>&1; then
            echo "deb-src lines are missing: adding them for the sources of $package" >&2
            if [ -f /etc/apt/sources.list.d/debian.sources ]; then # the deb822 form of Debian 12
                sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
                    as_root tee /etc/apt/sources.list.d/reruzad-deb-src.sources >/dev/null
            else
                sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
                    as_root tee /etc/apt/sources.list.d/reruzad-deb-src.list >/dev/null
            fi
            as_root apt-get update -qq || return 1
        fi
        (cd "$work" && apt-get source -qq "$package") >"$WINDOWS_CACHE/sources.log" 2>&1 || {
            echo "The source package $package could not be fetched: see $WINDOWS_CACHE/sources.log" >&2
            return 1
        }
    fi
    compgen -G "$work/$package-[0-9]*/debian" | head -n 1 | xargs -r dirname
}

# built PREFIX: true once a component finished installing there.
built() { [ -f "$1/.complete" ]; }

build_icu() {
    built "$ICU_PREFIX" && return 0
    echo "== ICU for Windows (once): $ICU_PREFIX"
    local src work=$WINDOWS_CACHE/work/icu
    src=$(debian_source icu)
    rm -rf "$work" && mkdir -p "$work/native" "$work/cross"
    cp -a "$src/source" "$src/LICENSE" "$work/"
    # ICU cross-builds against a native build of itself, whose tools make the data library.
    (cd "$work/native" && ../source/runConfigureICU Linux $ICU_FLAGS && make -j"$JOBS") >"$WINDOWS_CACHE/icu-native.log" 2>&1
    # Only the data the program reads goes into the data library.
    local dat=$work/source/data/in/icudt72l.dat
    LD_LIBRARY_PATH=$work/native/lib "$work/native/bin/icupkg" -l "$dat" | grep -v -E "$ICU_DATA_KEEP" \
        >"$work/remove.txt"
    LD_LIBRARY_PATH=$work/native/lib "$work/native/bin/icupkg" -r "$work/remove.txt" "$dat" "$work/icudt72l.dat"
    mv "$work/icudt72l.dat" "$dat"
    (cd "$work/cross" && ../source/configure --host=$TRIPLE --with-cross-build="$work/native" \
        --prefix="$ICU_PREFIX" $ICU_FLAGS && make -j"$JOBS" && make install) >"$WINDOWS_CACHE/icu.log" 2>&1
    touch "$ICU_PREFIX/.complete"
    rm -rf "$work"
}

build_nghttp2() {
    built "$NGHTTP2_PREFIX" && return 0
    echo "== nghttp2 for Windows (once): $NGHTTP2_PREFIX"
    local src work=$WINDOWS_CACHE/work/nghttp2
    src=$(debian_source nghttp2)
    rm -rf "$work"
    {
        cmake -G Ninja -S "$src" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$NGHTTP2_PREFIX" $NGHTTP2_FLAGS && cmake --build "$work" -j"$JOBS" &&
            cmake --install "$work"
    } >"$WINDOWS_CACHE/nghttp2.log" 2>&1
    touch "$NGHTTP2_PREFIX/.complete"
    rm -rf "$work"
}

build_curl() {
    built "$CURL_PREFIX" && return 0
    echo "== libcurl for Windows (once): $CURL_PREFIX"
    local src work=$WINDOWS_CACHE/work/curl
    src=$(debian_source curl)
    rm -rf "$work" && mkdir -p "$work"
    cp -a "$src/." "$work/"
    # Debian's last two patches turn the source into its GnuTLS and NSS flavours; Schannel wants neither.
    (cd "$work" && patch -R -s -p1 <debian/patches/99_nss.patch && patch -R -s -p1 <debian/patches/90_gnutls.patch &&
        autoreconf -fi && ./configure --host=$TRIPLE --prefix="$CURL_PREFIX" --with-zlib=$MINGW_ROOT \
            --with-nghttp2="$NGHTTP2_PREFIX" $CURL_FLAGS && make -j"$JOBS" && make install) \
        >"$WINDOWS_CACHE/curl.log" 2>&1
    touch "$CURL_PREFIX/.complete"
    rm -rf "$work"
}

build_qt() {
    built "$QT_PREFIX" && return 0
    echo "== Qt for Windows (once; about 20 to 40 minutes on two cores): $QT_PREFIX"
    local src work=$WINDOWS_CACHE/work/qt
    src=$(debian_source qt6-base)
    rm -rf "$work" && mkdir -p "$work"
    cp -a "$src/." "$work/src"
    # Qt builds its DirectWrite font database only with direct2d, yet asks for it whenever directwrite3 is on.
    sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
        "$work/src/src/plugins/platforms/windows/qwindowsintegration.cpp"
    cmake -G Ninja -S "$work/src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_FIND_ROOT_PATH="$ICU_PREFIX" -DICU_ROOT="$ICU_PREFIX" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DCMAKE_INSTALL_PREFIX="$QT_PREFIX" $QT_FLAGS >"$WINDOWS_CACHE/qt.log" 2>&1
    nice cmake --build "$work/build" -j"$JOBS" >>"$WINDOWS_CACHE/qt.log" 2>&1
    cmake --install "$work/build" >>"$WINDOWS_CACHE/qt.log" 2>&1
    touch "$QT_PREFIX/.complete"
    rm -rf "$work"
}

# Where each component is, or is to be, built.
windows_prefixes() {
    ICU_PREFIX=$(prefix icu 72.1 "$ICU_FLAGS" "$ICU_DATA_KEEP")
    NGHTTP2_PREFIX=$(prefix nghttp2 1.52.0 "$NGHTTP2_FLAGS")
    CURL_PREFIX=$(prefix curl 7.88.1 "$CURL_FLAGS" "$NGHTTP2_PREFIX")
    QT_PREFIX=$(prefix qt 6.4.2 "$QT_FLAGS" "$ICU_PREFIX")
}

build_windows_dependencies() {
    windows_prefixes
    if ! mkdir -p "$WINDOWS_CACHE" 2>/dev/null || [ ! -w "$WINDOWS_CACHE" ]; then
        as_root mkdir -p "$WINDOWS_CACHE"
        as_root chown "$(id -u):$(id -g)" "$WINDOWS_CACHE"
    fi
    (
        flock 9 # one build of the cache at a time; a second run waits, then finds it built
        set -E
        trap 'echo "A Windows library failed to build: its log is in $WINDOWS_CACHE" >&2' ERR
        build_icu
        build_nghttp2
        build_curl
        build_qt
    ) 9>"$WINDOWS_CACHE/.lock"
}
