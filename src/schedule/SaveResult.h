#pragma once
// What a save of the schedule windows reports back: on success the counts for the window's status
// line, on failure the database's description of what went wrong (nothing was written then).

#include "engine/Engine.h"
#include "store/Database.h"

#include <QString>

namespace korvex::schedule {

struct ResultadoGrabar : engine::Resultado {
    int registros = 0; // records written
};

// A failed result carrying the error's description, for a message box with an OK button.
template <class R = ResultadoGrabar> R fallo(const store::StoreError& error) {
    R result;
    result.ok = false;
    result.message = error.message();
    return result;
}

} // namespace korvex::schedule
