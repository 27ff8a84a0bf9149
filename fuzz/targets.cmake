# The libFuzzer targets: built by fuzz/CMakeLists.txt in a clang build
# directory, run for a while each by the main build's tests (Fuzz.<target>).
set(QUORVO_FUZZ_TARGETS fuzz_xml_document fuzz_json_object fuzz_http_client fuzz_http_response fuzz_lyric_reply)
