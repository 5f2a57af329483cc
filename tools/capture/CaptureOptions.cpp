#include "CaptureOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char kCaptureUsage[] =
    "Uso: zorbanel-capture [opciones] [VIDEO]\n"
    "\n"
    "Graba la produccion del directorio de trabajo (o la de -C) fotograma a fotograma, a un\n"
    "ritmo fijo y sin ventana visible, en VIDEO (zorbanel.mp4 si no se indica): imagen H.264\n"
    "y, si la produccion tiene musica, sonido AAC. Hace falta ffmpeg. El fotograma k se\n"
    "compone en el segundo k / fps de la musica y todos los relojes de la produccion avanzan\n"
    "1000 / fps ms por fotograma, asi que dos grabaciones dan los mismos fotogramas. Una\n"
    "escena que espera a su propio ritmo de animacion adelanta el reloj, como en tiempo real:\n"
    "los fotogramas que caen en esa espera repiten la imagen anterior.\n"
    "\n"
    "  -C, --production DIR  la produccion de la carpeta DIR\n"
    "  -o, --output VIDEO    el fichero de video (tambien como argumento)\n"
    "  --fps N               fotogramas por segundo, de 1 a 240 (60)\n"
    "  --from S              primer segundo grabado (0)\n"
    "  --to S                segundo en que termina la grabacion (por defecto, el evento\n"
    "                        FX_QUIT del guion o el final de la musica)\n"
    "  --frames DIR          fotogramas PNG numerados en DIR en lugar de un video: DIR/000123.png\n"
    "                        es el fotograma 123, en el segundo 123 / fps (no necesita ffmpeg)\n"
    "  -h, --help            esta ayuda\n"
    "\n"
    "Una parte (--from) se compone desde el principio sin escribir lo anterior, asi que sus\n"
    "fotogramas son los de la grabacion completa. El progreso sale por la salida de errores;\n"
    "el registro del motor, como siempre, en LOGFILE.TXT de la produccion.\n"
    "\n"
    "Estado de salida: 0 si todo se grabo; 1 si falta la produccion o falla la grabacion;\n"
    "2 si los argumentos no son validos; 130 si se interrumpio (lo grabado queda completo).\n";

namespace {

bool ReadSeconds(const char* text, double& value) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno != 0 || !std::isfinite(v) || v < 0) return false;
  value = v;
  return true;
}

bool ReadFps(const char* text, int& value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || v < 1 || v > kMaxFps) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

ParseResult ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                                std::string& error) {
  bool outputGiven = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") return ParseResult::Help;
    const bool takesValue = arg == "-C" || arg == "--production" || arg == "-o" ||
                            arg == "--output" || arg == "--fps" || arg == "--from" ||
                            arg == "--to" || arg == "--frames";
    if (takesValue) {
      if (i + 1 >= argc) {
        error = "falta el valor de " + arg;
        return ParseResult::Bad;
      }
      const char* value = argv[++i];
      bool valid = *value != '\0';
      if (arg == "--fps") {
        valid = ReadFps(value, options.fps);
      } else if (arg == "--from") {
        valid = ReadSeconds(value, options.from);
      } else if (arg == "--to") {
        valid = ReadSeconds(value, options.to);
      } else if (arg == "--frames") {
        options.framesDir = value;
      } else if (arg == "-C" || arg == "--production") {
        options.production = value;
      } else if (outputGiven) {
        error = "el video se nombra una sola vez";
        return ParseResult::Bad;
      } else {
        options.output = value;
        outputGiven = true;
      }
      if (!valid) {
        error = "valor no valido para " + arg + ": '" + value + "'" +
                (arg == "--fps" ? " (un entero de 1 a 240)"
                 : arg == "--from" || arg == "--to" ? " (segundos, 0 o mas)"
                                                    : "");
        return ParseResult::Bad;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "opcion desconocida '" + arg + "'";
      return ParseResult::Bad;
    } else if (outputGiven) {
      error = "el video se nombra una sola vez: sobra '" + arg + "'";
      return ParseResult::Bad;
    } else {
      options.output = arg;
      outputGiven = true;
    }
  }
  if (options.to >= 0 && options.to <= options.from) {
    error = "--to debe ser mayor que --from";
    return ParseResult::Bad;
  }
  if (!options.framesDir.empty() && outputGiven) {
    error = "--frames escribe fotogramas, no un video: sobra el nombre del video";
    return ParseResult::Bad;
  }
  return ParseResult::Run;
}
