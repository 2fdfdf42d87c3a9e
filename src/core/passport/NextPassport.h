#pragma once

#include "core/passport/PassportSnapshot.h"

// The start of the next passport of the same supervisors: who supervises it, who gets the invoice
// and how to reach them stay; the work itself (texts, sections, languages, authors, picture and
// the private comment) starts empty.
PassportSnapshot nextPassportFrom(const PassportSnapshot& current);
