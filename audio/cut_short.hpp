#pragma once
// Whether libsndfile found a file cut short: it reads a WAV or AIFF whose sample chunk is
// shorter than its header says as far as it goes, and notes it only in its log.

struct sf_private_tag;

namespace orv {

bool samplesCutShort(sf_private_tag* file);

}  // namespace orv
