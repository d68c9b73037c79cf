# Sourced by run.sh and test.sh: installs the Debian packages the build needs
# when any is missing, through sudo when not root.
# Usage: ensure_packages pkg...

ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo="sudo"
        else
            echo "error: need root or sudo to install: ${missing[*]}" >&2
            return 1
        fi
    fi
    $sudo apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
}

# What the program needs to build and run.
BUILD_PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6
                libpng-dev zlib1g-dev
                libgl-dev fontconfig fonts-dejavu-core fonts-liberation2)

configure_and_build() {
    local dir="$1"; shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" "$@" || return 1
    fi
    cmake --build "$dir" -j2 || return 1
}
