# Installs what the build and the tests need, on a fresh Debian 12 machine.
# Sourced by scripts/test, scripts/demo and scripts/bench.
GLIMMERLY_PACKAGES=(
    cmake g++ make clang python3 googletest libgtest-dev
    libcli11-dev nlohmann-json3-dev libssl-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 fonts-wine fonts-liberation xvfb x11-apps imagemagick xdotool zip zlib1g-dev
)

install_missing_packages() {
    local missing=()
    for p in "${GLIMMERLY_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
