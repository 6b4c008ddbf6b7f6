# The main window's fonts, "MS Sans Serif" (its default) and "Microsoft Sans Serif" (its labels
# and captions), are Windows fonts that Wine does not bring; without a replacement Wine takes
# whatever family fontconfig happens to offer first, so the look would change with the machine's
# fonts. Liberation Sans (Debian's fonts-liberation2) has the widths of Arial, which Microsoft
# Sans Serif's are close to. A real Windows system keeps its own fonts.
for face in "MS Sans Serif" "Microsoft Sans Serif"; do
    tv_wine_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "Liberation Sans" /f ||
        echo "== fonts: no replacement for $face" >&2
done
unset face
