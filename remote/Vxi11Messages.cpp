#include "remote/Vxi11Messages.h"

#include <string>

namespace remote::vxi11 {

bool Decode(std::string_view args, TCreateLinkParms& p) {
  TXdrReader r(args);
  return r.Integer(p.ClientId) && r.Boolean(p.LockDevice) && r.Word(p.LockTimeout) &&
         r.Opaque(p.Device, MaxDeviceName);
}

bool Decode(std::string_view args, TWriteParms& p, std::uint32_t maxData) {
  TXdrReader r(args);
  return r.Integer(p.Link) && r.Word(p.IoTimeout) && r.Word(p.LockTimeout) && r.Integer(p.Flags) &&
         r.Opaque(p.Data, maxData);
}

bool Decode(std::string_view args, TReadParms& p) {
  TXdrReader r(args);
  std::int32_t termChar = 0;
  if (!(r.Integer(p.Link) && r.Word(p.RequestSize) && r.Word(p.IoTimeout) &&
        r.Word(p.LockTimeout) && r.Integer(p.Flags) && r.Integer(termChar)))
    return false;
  p.TermChar = static_cast<char>(termChar);
  return true;
}

bool Decode(std::string_view args, TGenericParms& p) {
  TXdrReader r(args);
  return r.Integer(p.Link) && r.Integer(p.Flags) && r.Word(p.LockTimeout) && r.Word(p.IoTimeout);
}

bool Decode(std::string_view args, TLockParms& p) {
  TXdrReader r(args);
  return r.Integer(p.Link) && r.Integer(p.Flags) && r.Word(p.LockTimeout);
}

bool DecodeLink(std::string_view args, std::int32_t& link) {
  TXdrReader r(args);
  return r.Integer(link);
}

std::string CreateLinkResp(std::int32_t error, std::int32_t link, std::uint16_t abortPort,
                           std::uint32_t maxRecvSize) {
  TXdrWriter w;
  w.Integer(error);
  w.Integer(link);
  w.Word(abortPort);
  w.Word(maxRecvSize);
  return w.Take();
}

std::string WriteResp(std::int32_t error, std::uint32_t size) {
  TXdrWriter w;
  w.Integer(error);
  w.Word(size);
  return w.Take();
}

std::string ReadResp(std::int32_t error, std::int32_t reason, std::string_view data) {
  TXdrWriter w;
  w.Integer(error);
  w.Integer(reason);
  w.Opaque(data);
  return w.Take();
}

std::string ReadStbResp(std::int32_t error, std::uint8_t stb) {
  TXdrWriter w;
  w.Integer(error);
  w.Word(stb);
  return w.Take();
}

std::string ErrorResp(std::int32_t error) {
  TXdrWriter w;
  w.Integer(error);
  return w.Take();
}

}  // namespace remote::vxi11
