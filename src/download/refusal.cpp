#include "refusal.h"

#include <cstring>

Refusal Refusal::system(int error)
{
    return {.kind = Kind::System, .systemReason = QString::fromLocal8Bit(std::strerror(error))};
}
