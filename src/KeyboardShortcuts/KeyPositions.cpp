#include "KeyboardShortcuts/KeyPositions.h"

#include <array>

namespace KeyboardShortcuts::KeyPositions {

namespace {

struct Position {
    qint64 virtualKeyCode;
    quint32 xKeyCode;
};

// X key code = Linux input event code + 8.
constexpr Position positions[] = {
    // Letters.
    {0, 38},
    {1, 39},
    {2, 40},
    {3, 41},
    {4, 43},
    {5, 42},
    {6, 52},
    {7, 53},
    {8, 54},
    {9, 55},
    {11, 56},
    {12, 24},
    {13, 25},
    {14, 26},
    {15, 27},
    {16, 29},
    {17, 28},
    {31, 32},
    {32, 30},
    {34, 31},
    {35, 33},
    {37, 46},
    {38, 44},
    {40, 45},
    {45, 57},
    {46, 58},
    // Digits of the main block.
    {18, 10},
    {19, 11},
    {20, 12},
    {21, 13},
    {23, 14},
    {22, 15},
    {26, 16},
    {28, 17},
    {25, 18},
    {29, 19},
    // Punctuation.
    {27, 20},
    {24, 21},
    {33, 34},
    {30, 35},
    {41, 47},
    {39, 48},
    {50, 49},
    {42, 51},
    {43, 59},
    {47, 60},
    {44, 61},
    // The extra key of ISO keyboards and the two of Japanese ones.
    {10, 94},
    {93, 132},
    {94, 97},
    {95, 129},
    // Editing and navigation.
    {36, 36},
    {48, 23},
    {49, 65},
    {51, 22},
    {53, 9},
    {117, 119},
    {114, 118},
    {115, 110},
    {119, 115},
    {116, 112},
    {121, 117},
    {126, 111},
    {123, 113},
    {124, 114},
    {125, 116},
    // Modifier keys.
    {55, 133},
    {54, 134},
    {56, 50},
    {60, 62},
    {57, 66},
    {58, 64},
    {61, 108},
    {59, 37},
    {62, 105},
    // Function keys.
    {122, 67},
    {120, 68},
    {99, 69},
    {118, 70},
    {96, 71},
    {97, 72},
    {98, 73},
    {100, 74},
    {101, 75},
    {109, 76},
    {103, 95},
    {111, 96},
    {105, 191},
    {107, 192},
    {113, 193},
    {106, 194},
    {64, 195},
    {79, 196},
    {80, 197},
    {90, 198},
    // Keypad.
    {82, 90},
    {83, 87},
    {84, 88},
    {85, 89},
    {86, 83},
    {87, 84},
    {88, 85},
    {89, 79},
    {91, 80},
    {92, 81},
    {71, 77},
    {65, 91},
    {75, 106},
    {76, 104},
    {81, 125},
    {78, 82},
    {67, 63},
    {69, 86},
    // Sound.
    {74, 121},
    {73, 122},
    {72, 123},
};

constexpr int virtualKeyCodeLimit = 128;
constexpr int xKeyCodeLimit = 256;

struct Tables {
    std::array<int, virtualKeyCodeLimit> toX{};
    std::array<int, xKeyCodeLimit> toVirtual{};
};

const Tables& tables()
{
    static const Tables built = [] {
        Tables t;
        t.toX.fill(-1);
        t.toVirtual.fill(-1);
        for (const Position& p : positions) {
            t.toX[static_cast<size_t>(p.virtualKeyCode)] = static_cast<int>(p.xKeyCode);
            t.toVirtual[p.xKeyCode] = static_cast<int>(p.virtualKeyCode);
        }
        return t;
    }();
    return built;
}

} // namespace

std::optional<quint32> xKeyCode(qint64 virtualKeyCode)
{
    if (virtualKeyCode < 0 || virtualKeyCode >= virtualKeyCodeLimit)
        return std::nullopt;
    const int code = tables().toX[static_cast<size_t>(virtualKeyCode)];
    if (code < 0)
        return std::nullopt;
    return static_cast<quint32>(code);
}

std::optional<qint64> virtualKeyCode(quint32 xKeyCode)
{
    if (xKeyCode >= xKeyCodeLimit)
        return std::nullopt;
    const int code = tables().toVirtual[xKeyCode];
    if (code < 0)
        return std::nullopt;
    return code;
}

} // namespace KeyboardShortcuts::KeyPositions
