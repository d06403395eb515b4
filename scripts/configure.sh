# Sourced by the scripts that build: krz_configure DIR [cmake arguments...] configures a build
# folder of the sources in $top once (Release unless told otherwise); later calls leave it as
# it is, so that a build picks up only what changed.
krz_configure() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    fi
}
