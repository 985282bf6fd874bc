#pragma once
// The main form's design-time components the controller dresses: all borrowed, owned by
// the form. The controller knows them by these, not by the form's class.
class TForm;
class TImage;
class TLabel;
class TMenuItem;
class TPopupMenu;
class TTimer;

struct MainWindowParts {
    TForm* form;
    TImage* background;
    TLabel* averageTemp;
    TLabel* phaseTitle;
    TPopupMenu* popupMenu;
    TMenuItem* runAtStartupItem;
    TMenuItem* exitItem;
    TTimer* pollingTimer;
};
