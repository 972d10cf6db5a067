// dialogs of QV
