#include "SyntheticBase.h"

#include <brenvald/DefinitionTable.h>

#include <fstream>

namespace benchsupport {

void TSyntheticBaseEngine::UnPakBaseToStream(const std::string &, void **table) {
    uint8_t *start = static_cast<uint8_t *>(*table);
    for (int32_t slot = 0; slot < count_; ++slot) {
        const TSyntheticRecord record = recordAt_(slot);
        brenvald::WriteTableSlot(start, static_cast<size_t>(slot), record.Name, record.Signature,
                                 record.Kind, record.Offset);
    }
    brenvald::WriteTableRecordCount(start, std::to_string(count_));
    if (OnFilled)
        OnFilled();
}

void WriteSyntheticBaseFile(const std::string &folder) {
    std::ofstream(folder + "synthetic.bvx") << "filled by the bench";
}

} // namespace benchsupport
