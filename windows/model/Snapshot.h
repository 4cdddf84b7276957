#pragma once
#include "windows/model/ModelProzora.h"

#include <vector>

namespace windows {

// The values of every node and global of a model. Geometry changes keep the lists' shape, so restoring
// walks the same nodes in the same order and puts the old values back.
class Snapshot {
public:
    explicit Snapshot(const ModelProzora& model);
    void Vrati(ModelProzora& model) const;

private:
    struct Okvir {
        std::int16_t Rbr, L1, T1, B1, R1, L2, T2, B2, R2, K, Q, DebProfila, Lajsna, RedniBroj;
        std::int32_t ArtiklOkvira;
        std::uint8_t Otvaranje;
    };
    std::vector<Okvir> okviri_;
    std::vector<TPrecka> precke_;
    std::int16_t sirina_, visina_, debStoka_, maxRight_, maxBottom_;
    std::int16_t winLeft_, winTop_, winRight_, winBottom_, brojacOkvira_;
};

// Runs a change; when it throws (an overflow), the model gets its old values back.
template <class F> void ModelProzora::Atomicno(F&& izmjena) {
    const Snapshot prije(*this);
    try {
        izmjena();
    } catch (...) {
        prije.Vrati(*this);
        throw;
    }
}

} // namespace windows
