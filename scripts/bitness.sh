# Sourced by the scripts that run a Windows build: names its bitness for the
# first line of their output.
#   build_name BUILD_DIR   ->  "the 64-bit build (x64 melvox.dll under wine64)"
build_name() {
  case "$(basename "$1")" in
    win32) echo "the 32-bit build (i386 melvox.dll under wine32)" ;;
    win64) echo "the 64-bit build (x64 melvox.dll under wine64)" ;;
    *) echo "the build in $1" ;;
  esac
}
