#include "BaseContainer.h"

#include "TableAppend.h"
#include "bzLib.h"

#include <array>
#include <cstring>
#include <exception>

namespace kernel {

namespace {

using Header = std::array<uint8_t, brenvald::kHeaderSize>;

// Reads the rest of the plain content, keeping none of it.
void Drain(TStream &content) {
    TNullStream sink;
    CopyStream(content, sink);
}

} // namespace

void AppendContainerToTable(TStream &container, uint8_t *table) {
    Header before;
    std::memcpy(before.data(), table, before.size());
    auto restoreHeader = [&] { std::memcpy(table, before.data(), before.size()); };

    TBZDecompressionStream content(container);
    try {
        AppendBase(content, table);
    } catch (const EBZip2Error &) {
        restoreHeader();
        throw;
    } catch (...) {
        // The append failed on the content itself; a container failure
        // further on still comes first, as it would had the container been
        // unpacked whole before the append.
        std::exception_ptr appendError = std::current_exception();
        try {
            Drain(content);
        } catch (...) {
            restoreHeader();
            throw;
        }
        std::rethrow_exception(appendError);
    }
    try {
        Drain(content);
    } catch (...) {
        restoreHeader();
        throw;
    }
}

} // namespace kernel
