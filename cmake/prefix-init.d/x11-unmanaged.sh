# On our own Xvfb there is no window manager, and Wine waits up to 2 s for one each time it hides
# a managed (framed) window. Unmanaged windows skip that wait; Wine draws their frames itself.
# A real display (the demo with $DISPLAY set) keeps its window manager.
if [ -n "${TV_XVFB_PID:-}" ]; then
    tv_wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
fi
