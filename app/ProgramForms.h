#pragma once
// The program's four forms, made by the start-up sequence and owned by the application.
// Only CreateForms and the start-up code use these globals: every form is given the
// others it works with.
class TMainForm;
class TShadowForm;
class TWarnForm;
class TWarnShadow;

extern TMainForm* MainForm;
extern TShadowForm* ShadowForm;
extern TWarnForm* WarnForm;
extern TWarnShadow* WarnShadow;

// Creates the four forms in that order (the first becomes the application's main form)
// and introduces them to each other: each shadow to its owner, the main form to its
// shadow and to the dialog.
void CreateForms();
