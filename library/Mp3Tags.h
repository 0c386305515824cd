#pragma once
// What an MP3's tags say when every tag format is read. The ID3v2 tag is the
// richer one (full-length Unicode fields), so each field comes from it; its
// ID3v1 tag fills only the fields the ID3v2 tag lacks.
#include "library/ID3Tag.h"
#include "library/NativeTag.h"

namespace Mp3Tags {

// False when the file has neither tag. Without an ID3v2 tag the fields are the
// ID3v1 tag's whole, padding included, as the library always stored them;
// beside one, ID3v1 text fills gaps trimmed. Either way ID3v1 text that is
// UTF-8 reads as such. v1 receives the ID3v1 tag as read.
bool Read(const QString& file, NativeTag::Fields& out, ID3Tag::ID3v1Tag& v1);

}  // namespace Mp3Tags
