# Sourced by ./run, ./test, ./bench and ./package: installs the Debian packages the project needs when missing.
# Usage: quillmark_need_packages pkg...   (as root: apt-get installs them; otherwise prints the line)

quillmark_build_packages="cmake g++ make pkg-config qt6-base-dev libqt6sql6-sqlite libgl-dev qt6-qpa-plugins fonts-noto-cjk fonts-dejavu-core qt6-translations-l10n libsqlite3-dev mdbtools-dev libglib2.0-dev"
quillmark_package_packages="dpkg-dev file lintian desktop-file-utils appstream"
quillmark_test_packages="poppler-utils xvfb xauth openbox xdotool x11-utils x11-xserver-utils xclip imagemagick trayer sqlite3 mdbtools clang libclang-rt-14-dev python3 libx11-dev libxdamage-dev $quillmark_package_packages"

quillmark_need_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Run as root:" >&2
        echo "  apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq || return 1
    apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
}
