#include "PkCipher.h"

#include <zlib.h>

namespace {

inline quint32 CrcStep(quint32 crc, unsigned char byte)
{
    static const auto* table = get_crc_table();
    return quint32(table[(crc ^ byte) & 0xff]) ^ (crc >> 8);
}

} // namespace

unsigned char PkCipher::streamByte() const
{
    const quint32 temp = (m_keys.k2 | 2) & 0xffff;
    return static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
}

void PkCipher::update(unsigned char plain)
{
    m_keys.k0 = CrcStep(m_keys.k0, plain);
    m_keys.k1 = (m_keys.k1 + (m_keys.k0 & 0xff)) * 134775813u + 1;
    m_keys.k2 = CrcStep(m_keys.k2, static_cast<unsigned char>(m_keys.k1 >> 24));
}

void PkCipher::encrypt(unsigned char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char plain = data[i];
        data[i] = plain ^ streamByte();
        update(plain);
    }
}

void PkCipher::decrypt(unsigned char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char plain = data[i] ^ streamByte();
        data[i] = plain;
        update(plain);
    }
}
