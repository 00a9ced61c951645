#include "engine/storescrambler.h"

#include <array>

namespace {

constexpr std::array<char16_t, StoreScrambler::KeyCount> Keys = {
    0x019E, 0x0168, 0x03CD, 0x0194, 0x0192, 0x0395, 0x0250, 0x023E, 0x0232, 0x0155, 0x0119,
    0x0153, 0x036D, 0x035E, 0x0246, 0x0390, 0x0197, 0x0325, 0x0325, 0x038A, 0x01E8, 0x010B,
    0x03A9, 0x01CC, 0x029E, 0x02BE, 0x0181, 0x01D7, 0x01D0, 0x01F4, 0x0282, 0x0360, 0x0391,
    0x0373, 0x02E6, 0x0397, 0x02F3, 0x020F, 0x029A, 0x0182, 0x038D, 0x03E3, 0x021E,
};

} // namespace

void StoreScrambler::apply(QString &text)
{
    char16_t *units = reinterpret_cast<char16_t *>(text.data());
    const qsizetype n = text.size();
    qsizetype k = 0;
    for (qsizetype i = 0; i < n; ++i) {
        units[i] = char16_t(units[i] ^ Keys[k]);
        if (++k == KeyCount)
            k = 0;
    }
}

QString StoreScrambler::applied(QString text)
{
    apply(text);
    return text;
}
