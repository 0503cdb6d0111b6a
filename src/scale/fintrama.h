#pragma once

// How a scale's frames are delimited.
enum class FinTrama {
    CR,     // ended by a carriage return
    LF,     // ended by a line feed
    CRLF,   // ended by CR LF (cut at the LF; a lone LF ends one too)
    ETX,    // ended by ETX (byte 3)
    Bloque, // printed blocks of CR LF lines ended by three line feeds
    StxCr,  // STX, fifteen characters and CR; whatever lies between frames is skipped
    LfCr,   // begun by LF and ended by CR
};
