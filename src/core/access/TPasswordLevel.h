#pragma once

#include <QString>

class TLanguage;

// The program's own access levels 1 to 5, chosen by typing a level password.
// Levels 2 and 3 last until the dialog is opened again; levels 4 and 5 only switch
// the factory-settings menu items on and fall back to 1 at once.
class TPasswordLevel {
public:
    // Which of the level-dependent menu items are shown (and enabled).
    struct MenuState {
        bool ParameterList = false;
        bool SpecialTest = false;
        bool SaveFactorySettings = false;
        bool EditFactorySettings = false;
        bool operator==(const MenuState&) const = default;
    };

    // What one OK in the password dialog leads to.
    struct Outcome {
        int Level = 1;   // the level the entry selected (before 4 and 5 fall back)
        QString Message; // shown to the user
        MenuState Menu;
        QString LogText;
        int LogLevel = 1;
    };

    // Opening the dialog lowers the level to 1 before anything is typed.
    void Activate() { m_level = 1; }
    // Reads the entry as the dialog does and stores the resulting level.
    Outcome Enter(const QString& entry, const TLanguage& language);
    // The current level, at least 1.
    int GetPasswordLevel() const { return m_level <= 0 ? 1 : m_level; }

    static MenuState MenuFor(int level);
    // The entry read as a number: leading blanks skipped, sign, fraction and exponent
    // accepted, reading stops where the number cannot go on; no number reads as 0.
    static double ReadNumber(const QString& entry);
    static int LevelFor(const QString& entry);

private:
    int m_level = 1;
};
