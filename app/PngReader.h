#pragma once
// Skin pictures: PNG files decoded by imgcodec.dll (PngManager), loaded at run time
// from the program's folder, into 32-bit bitmaps (blue, green, red, straight alpha).
#include <exception>
#include <memory>
#include <string>

class TBitmap;

// True for the errors that leave the program without a picture it needs: a picture file
// or the codec library that cannot be opened, or a codec that is not usable.
bool IsMissingPicture(const std::exception& error);

// The codec's read callback over a TFileStream given as context: reads up to count
// bytes into buffer and returns how many it read.
int __stdcall StreamReadCallback(void* context, void* buffer, int count);

// Loads a PNG file into bitmap as pf32bit. A missing or unreadable file raises
// EFOpenError; a file the codec rejects leaves the bitmap's size and pixels as they were.
void LoadPng(const std::string& path, TBitmap* bitmap);

// The picture of a file, decoded once for all who hold it at the same time (as LoadPng
// does, errors included): the holders share it and must not change it. Once the last one
// lets go, the next call decodes the file again.
std::shared_ptr<TBitmap> SharedPng(const std::string& path);

// The program's folder followed by "resource\", where every skin picture lives.
std::string ResourceFolder();
