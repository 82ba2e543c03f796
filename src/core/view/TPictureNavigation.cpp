#include "core/view/TPictureNavigation.h"

TPictureNavigation TPictureNavigation::For(Mode mode, int current, int selected, int count) {
    TPictureNavigation n;
    switch (mode) {
    case First:
        n.Picture = 0;
        n.NextEnabled = n.LastEnabled = count > 1;
        break;
    case Previous:
        if (current < 1) {
            return n;
        }
        n.Picture = current - 1;
        n.FirstEnabled = n.PreviousEnabled = n.Picture > 0;
        n.NextEnabled = n.LastEnabled = true;
        break;
    case Next:
        if (current + 1 >= count) {
            return n;
        }
        n.Picture = current + 1;
        n.FirstEnabled = n.PreviousEnabled = true;
        n.NextEnabled = n.LastEnabled = n.Picture < count - 1;
        break;
    case Last:
        n.Picture = count - 1;
        n.FirstEnabled = n.PreviousEnabled = count > 1;
        break;
    case Selected:
        n.Picture = selected;
        n.FirstEnabled = n.PreviousEnabled = selected > 0;
        n.NextEnabled = n.LastEnabled = selected < count - 1;
        break;
    }
    if (mode != Selected) {
        n.SetsViewAndNumber = true;
        n.ViewEnabled = count > 1;
        n.NumberEnabled = count >= 2;
    }
    // An empty file, or a number outside it, has nothing to draw.
    n.Show = n.Picture >= 0 && n.Picture < count;
    return n;
}
