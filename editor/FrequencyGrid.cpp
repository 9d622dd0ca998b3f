#include "editor/FrequencyGrid.h"

#include <cmath>

namespace frequencygrid {

const GridRow kGrid[kGridRows + 1] = {
    {20, 0},     {30, 0},     {40, 0},     {50, 1},     {60, 0},     {70, 0},     {80, 0},     {90, 0},
    {100, 3},    {200, 0},    {300, 0},    {400, 0},    {500, 1},    {600, 0},    {700, 0},    {800, 0},
    {900, 0},    {1000, 3},   {2000, 0},   {3000, 0},   {4000, 0},   {5000, 1},   {6000, 0},   {7000, 0},
    {8000, 0},   {9000, 0},   {10000, 3},  {20000, 0},  {30000, 0},  {40000, 2},  {-1, 0},
};

const float kStepRatio = static_cast<float>(std::pow(2.0, 1.0 / 24.0));
const float kHalfStepFactor = static_cast<float>(1.0 / std::pow(2.0, 1.0 / 48.0));

} // namespace frequencygrid
