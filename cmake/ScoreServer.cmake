# Where the game sends results and which key letter it signs them with. The defaults point at the
# score service (server/) running on this machine with its defaults:
#   build/spraydash-scores --db scores.db --key S
# A release build sets SPRAYDASH_SCORE_SERVER_HOST to the real server ("host" or "host:port").
set(SPRAYDASH_SCORE_SERVER_HOST "127.0.0.1:8077" CACHE STRING "Score server host (and :port when not 80)")
set(SPRAYDASH_SCORE_KEY "S" CACHE STRING "Key letter of the result record, agreed with the score server")
if(NOT SPRAYDASH_SCORE_KEY MATCHES "^[A-Z]$")
  message(FATAL_ERROR "SPRAYDASH_SCORE_KEY must be one upper-case letter, not '${SPRAYDASH_SCORE_KEY}'")
endif()
target_compile_definitions(sd_records PRIVATE
  SPRAYDASH_SCORE_SERVER_HOST="${SPRAYDASH_SCORE_SERVER_HOST}"
  SPRAYDASH_SCORE_KEY='${SPRAYDASH_SCORE_KEY}')
