# Stand-ins that live in the Windows system folders of the prefix (sourced by tv_prefix_init with
# WINEPREFIX set and $top the repository root):
# - KdIo.dll, which the program loads from the system folder: the x86_64 build into system32,
#   the i686 build into syswow64;
# - the recording powrprof.dll, test equipment that replaces Wine's own (a DLL override makes the
#   file win over the built-in): both variants as powrprof-full.dll and powrprof-noenum.dll, and
#   the full one as Powrprof.dll. Tests switch variants with simboard::InstallPowrprof.

tv_sim_install() {
    local arch=$1 folder=$2
    local stage="$top/build/$arch/stage" powrprof="$top/build/$arch/powrprof"
    if [ ! -f "$stage/KdIo.dll" ] || [ ! -f "$powrprof/full/powrprof.dll" ] ||
        [ ! -f "$powrprof/noenum/powrprof.dll" ]; then
        echo "== sim: $arch stand-ins not built, not installed into $folder" >&2
        return 0
    fi
    cp "$stage/KdIo.dll" "$folder/KdIo.dll"
    cp "$powrprof/full/powrprof.dll" "$folder/powrprof-full.dll"
    cp "$powrprof/noenum/powrprof.dll" "$folder/powrprof-noenum.dll"
    cp "$powrprof/full/powrprof.dll" "$folder/powrprof.dll"
}

tv_sim_install x86_64 "$WINEPREFIX/drive_c/windows/system32"
tv_sim_install i686 "$WINEPREFIX/drive_c/windows/syswow64"
tv_wine_reg add 'HKCU\Software\Wine\DllOverrides' /v powrprof /d native,builtin /f ||
    echo "== sim: the powrprof override could not be set" >&2
unset -f tv_sim_install
