#pragma once

// Which stored picture a navigation command shows and which navigation controls it leaves usable.
struct TPictureNavigation {
    enum Mode { First = 0, Previous = 1, Next = 2, Last = 3, Selected = 4 };

    bool Show = false; // false: nothing to show (the charts stay cleared, the controls as they were)
    int Picture = -1;  // the picture shown, which becomes the current one
    bool FirstEnabled = false;
    bool PreviousEnabled = false;
    bool NextEnabled = false;
    bool LastEnabled = false;
    bool ViewEnabled = false;   // the View button
    bool NumberEnabled = false; // the picture number field
    bool SetsViewAndNumber = false;

    // `count` pictures in the file, `current` shown now, `selected` typed into the number field.
    static TPictureNavigation For(Mode mode, int current, int selected, int count);
};
