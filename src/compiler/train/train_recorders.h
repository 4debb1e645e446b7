// Recorders of the train's point features: signals and speed restrictions.
#pragma once

#include <cstdint>

#include "model/route_model.h"

namespace sb {

// Signal at posizione with its codes; sets errorCode 16 when its cell is taken.
void memo_segnale(RouteModel& model, std::int32_t posizione, std::int32_t& sx, std::int32_t& s1, std::int32_t& s2,
                  std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx, std::int32_t& d1, std::int32_t& d2,
                  std::int32_t& d3, std::int32_t& tempo);

// Speed restriction from x over l metres; sets errorCode 17 to 20 on a taken cell.
void memo_rallentamento(RouteModel& model, std::int32_t x, std::int32_t& v, std::int32_t& l, std::int32_t& f_tt,
                        std::int32_t f_ta, std::int32_t& d_v);

// Whether every cell a restriction would write exists (start and end cell;
// the warning point and its markers lie behind the start).
bool restrictionCellsExist(const RouteModel& model, std::int32_t x, std::int32_t l);

}  // namespace sb
