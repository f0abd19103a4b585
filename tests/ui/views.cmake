# Status view, languages, dialogs and settings rules of the main window.
