; Texts of the setup and the uninstaller, English and German.

LangString WelcomeText ${LANG_ENGLISH} "Setup will install Tetravolt ${VERSION} on your computer.$\r$\n$\r$\nWhen Setup has finished, Windows must be restarted before Tetravolt runs.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_GERMAN} "Dieses Setup installiert Tetravolt ${VERSION} auf Ihrem Computer.$\r$\n$\r$\nNach dem Setup muss Windows neu gestartet werden, bevor Tetravolt läuft.$\r$\n$\r$\nKlicken Sie auf Weiter, um fortzufahren."

LangString SectionProgram ${LANG_ENGLISH} "Tetravolt"
LangString SectionProgram ${LANG_GERMAN} "Tetravolt"
LangString SectionAutoRun ${LANG_ENGLISH} "Start with Windows"
LangString SectionAutoRun ${LANG_GERMAN} "Mit Windows starten"

LangString Closing ${LANG_ENGLISH} "Closing the running Tetravolt..."
LangString Closing ${LANG_GERMAN} "Das laufende Tetravolt wird beendet..."
LangString StillRunning ${LANG_ENGLISH} "Tetravolt is still running. Please end it (Exit in its tray menu) and choose Retry, or choose Cancel."
LangString StillRunning ${LANG_GERMAN} "Tetravolt läuft noch. Bitte beenden Sie es (Beenden im Menü des Infobereichs) und wählen Sie Wiederholen, oder wählen Sie Abbrechen."

LangString DriverCheck ${LANG_ENGLISH} "Checking the CPU driver..."
LangString DriverCheck ${LANG_GERMAN} "Der CPU-Treiber wird geprüft..."

LangString Needs64 ${LANG_ENGLISH} "This setup installs the 64-bit Tetravolt and needs a 64-bit Windows. Please use the 32-bit setup."
LangString Needs64 ${LANG_GERMAN} "Dieses Setup installiert das 64-Bit-Tetravolt und benötigt ein 64-Bit-Windows. Bitte verwenden Sie das 32-Bit-Setup."
LangString OtherInstalled ${LANG_ENGLISH} "The ${OTHER_BITS}-bit Tetravolt is installed on this computer. Please uninstall it first."
LangString OtherInstalled ${LANG_GERMAN} "Das ${OTHER_BITS}-Bit-Tetravolt ist auf diesem Computer installiert. Bitte deinstallieren Sie es zuerst."
