#pragma once
// Memory for a whole entry. Fresh memory costs a page fault per 4 KiB page at its first touch,
// which on a virtual machine can cost more than deflating the data; a large buffer therefore
// comes from the kernel in 2 MiB pages where it allows them, one fault per 2 MiB.
#include <cstddef>

class LargeBuffer {
public:
    explicit LargeBuffer(size_t size);
    ~LargeBuffer();
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    char* data() const { return m_data; }
    size_t size() const { return m_size; }
    bool ok() const { return m_data || m_size == 0; }  // false when the memory was refused

private:
    char* m_data = nullptr;
    size_t m_size = 0;
    void* m_mapping = nullptr;
    size_t m_mapped = 0;
};
