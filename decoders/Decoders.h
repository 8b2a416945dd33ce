#pragma once
// One reader per input format family.
#include "decoders/Picture.h"

namespace pm {

bool DecodeBmp(const TDecodeInput& in, TPicture& out, std::string& error);       // BMP, RLE, DIB
bool DecodeJpeg(const TDecodeInput& in, TPicture& out, std::string& error);      // JPG, JPEG, JPE, JFIF
bool DecodePng(const TDecodeInput& in, TPicture& out, std::string& error);       // PNG
bool DecodeTiff(const TDecodeInput& in, TPicture& out, std::string& error);      // TIF, TIFF, FAX
bool DecodeGif(const TDecodeInput& in, TPicture& out, std::string& error);       // GIF
bool DecodeIcon(const TDecodeInput& in, TPicture& out, std::string& error);      // ICO
bool DecodeMetafile(const TDecodeInput& in, TPicture& out, std::string& error);  // WMF, EMF
bool DecodeEps(const TDecodeInput& in, TPicture& out, std::string& error);       // EPS
bool DecodeTarga(const TDecodeInput& in, TPicture& out, std::string& error);     // TGA, VST, ICB, VDA, WIN
bool DecodePcx(const TDecodeInput& in, TPicture& out, std::string& error);       // PCX, PCC, SCR
bool DecodeSgi(const TDecodeInput& in, TPicture& out, std::string& error);       // SGI, RGB, RGBA, BW
bool DecodeRla(const TDecodeInput& in, TPicture& out, std::string& error);       // RLA, RPF
bool DecodePsd(const TDecodeInput& in, TPicture& out, std::string& error);       // PSD, PDD
bool DecodePsp(const TDecodeInput& in, TPicture& out, std::string& error);       // PSP
bool DecodePnm(const TDecodeInput& in, TPicture& out, std::string& error);       // PPM, PGM, PBM
bool DecodeAutodesk(const TDecodeInput& in, TPicture& out, std::string& error);  // CEL, PIC
bool DecodePcd(const TDecodeInput& in, TPicture& out, std::string& error);       // PCD
bool DecodeCut(const TDecodeInput& in, TPicture& out, std::string& error);       // CUT
bool DecodeHeif(const TDecodeInput& in, TPicture& out, std::string& error);      // HEIC, HEIF, AVIF
bool DecodeWebp(const TDecodeInput& in, TPicture& out, std::string& error);      // WEBP

}  // namespace pm
