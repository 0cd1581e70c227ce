# The fuzz targets (their names under fuzz/corpus and build/fuzz/bin/fuzz-<name>) and the
# check whether this machine can build them.
FUZZ_TARGETS=(userdb testdb session upload-scanner analysis pnml)

# True when clang++ and its libFuzzer runtime are installed.
fuzz_toolchain_present() {
    command -v clang++ >/dev/null 2>&1 || return 1
    local runtime_dir
    runtime_dir="$(clang++ -print-runtime-dir 2>/dev/null)" || return 1
    [ -f "$runtime_dir/libclang_rt.fuzzer-x86_64.a" ] ||
        [ -f "$runtime_dir/libclang_rt.fuzzer.a" ]
}
