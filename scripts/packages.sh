# Runs a command as root: as it is for root, through sudo for anyone else.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Installs the Debian packages named as arguments that are not installed yet.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing the Debian packages this needs: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building the program needs, and the fonts its window asks for by look-alike.
BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev libcurl4-openssl-dev zlib1g-dev libbenchmark-dev fonts-dejavu-core fonts-liberation2 fonts-urw-base35)
