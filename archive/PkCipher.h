#pragma once
// The traditional PKWARE stream cipher of APPNOTE, and the fixed key that enciphers headers.
#include <QtGlobal>

class PkCipher {
public:
    struct Keys {
        quint32 k0, k1, k2;
    };
    static constexpr Keys InitialKeys{0x12345678u, 0x23456789u, 0x34567890u};
    // Built from the initial words; loaded as it is, never passed through the key update.
    static constexpr Keys HeaderKey{InitialKeys.k0 & InitialKeys.k2, InitialKeys.k0 & InitialKeys.k1,
                                    InitialKeys.k2 & InitialKeys.k1};

    explicit PkCipher(Keys keys = InitialKeys) : m_keys(keys) {}
    void reset(Keys keys) { m_keys = keys; }
    const Keys& keys() const { return m_keys; }

    void encrypt(unsigned char* data, qsizetype size);
    void decrypt(unsigned char* data, qsizetype size);

private:
    unsigned char streamByte() const;
    void update(unsigned char plain);
    Keys m_keys;
};
