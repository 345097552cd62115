# Sourced by run.sh and test.sh: installs the Debian packages named in the arguments that are
# missing, as root with apt-get, with sudo when not root, or else says what to run and stops.
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "Installing missing packages: ${missing[*]}"
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
  if [ "$(id -u)" -eq 0 ]; then
    "${apt[@]}" update -qq && "${apt[@]}" install -y -qq "${missing[@]}"
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo "${apt[@]}" update -qq && sudo "${apt[@]}" install -y -qq "${missing[@]}"
  else
    echo "error: these packages are missing and this user cannot install them:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}

# Packages of another architecture (NAME:arm64) need that architecture known to dpkg first.
ensure_architecture() {
  dpkg --print-foreign-architectures | grep -qx "$1" && return 0
  echo "Adding the package architecture $1"
  if [ "$(id -u)" -eq 0 ]; then
    dpkg --add-architecture "$1"
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo dpkg --add-architecture "$1"
  else
    echo "error: run: sudo dpkg --add-architecture $1" >&2
    exit 1
  fi
}

BUILD_PACKAGES=(g++ cmake make pkg-config dpkg-dev libpng-dev zlib1g-dev freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libtomlplusplus-dev libcli11-dev nlohmann-json3-dev liblua5.4-dev)
TEST_PACKAGES=(libgtest-dev libbenchmark-dev xvfb xauth libx11-dev libxtst-dev clang libclang-rt-14-dev libboost-graph-dev gnuplot-nox jq parallel time python3-numpy python3-scipy python3-dev python3-pybind11 python3-pandas python3-pytest python3-distributed python3-matplotlib python3-sklearn python3-statsmodels slurm-wlm munge)
# The determinism check's builds: clang with libc++, and the headless program cross-built for
# 64-bit ARM with the arm64 libraries it links, run under qemu.
MATRIX_PACKAGES=(libc++-dev libc++abi-dev g++-aarch64-linux-gnu qemu-user liblua5.4-dev:arm64 libpng-dev:arm64
                 zlib1g-dev:arm64 libtomlplusplus-dev:arm64)
