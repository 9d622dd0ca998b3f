-- Ardour 7, headless (ardour7-lua), with the reverb's VST 3 bundle: run by
-- tools/ardour-session-check.sh, once to make a session and once to reopen it.
--   PHASE=discover  a session made and closed, so that Ardour finds the
--                 bundle in ~/.vst3 (its scanner then indexes it)
--   PHASE=create  a session with one track and the class CLASS on it; its
--                 IR_FileSelect pressed as a host's generic editor presses it
--                 (the plug-in's file dialog answers from RVB_DIALOG_SCRIPT),
--                 Decay and WetLevel set in real units; saved
--   PHASE=reopen  the saved session opened afresh: the class, its latency and
--                 settings as Ardour sees them, and CopyToLocal pressed, which
--                 names and copies the IR in force
--   PHASE=render  a stereo track records 2.5 s of the Dummy backend's
--                 impulses, then plays them back through CLASS (its IR chosen
--                 through IR_FileSelect) and the session is exported as
--                 32-bit float WAV into EXPORT_DIR, latency compensated
local phase, dir, class = os.getenv("PHASE"), os.getenv("SESSION_DIR"), os.getenv("CLASS")
ARDOUR.config():set_hide_dummy_backend(false)
AudioEngine:set_backend("None (Dummy)", "", "")

local function parameter(plugin, label)
  for i = 0, plugin:parameter_count() - 1 do
    if plugin:parameter_label(i) == label then
      return i
    end
  end
  error("no parameter " .. label)
end

-- As Ardour's own controls do: the value goes to the processor, and reading
-- it back hands it to the controller (on this, the host's main thread).
local function press(proc, plugin, label)
  local i = parameter(plugin, label)
  for _, value in ipairs({0, 1}) do
    ARDOUR.LuaAPI.set_processor_param(proc, i, value)
    ARDOUR.LuaAPI.get_processor_param(proc, i)
  end
end

-- Ardour's own export format "BWAV 32float Export", at the session's rate.
local kFloatPreset = "3a9c1e0e-5b7a-4f7d-9a52-7e1f2b6c0d41"

local function render()
  local backend = AudioEngine:set_backend("None (Dummy)", "", "")
  AudioEngine:stop(false)
  backend:set_device_name("Impulses")
  backend:set_sample_rate(48000)
  AudioEngine:start(false)
  assert(create_session(dir, "render", 48000), "no session")
  local track = Session:new_audio_track(2, 2, nil, 1, "Take", ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true):front()
  track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
  Session:maybe_enable_record(false)
  Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
  ARDOUR.LuaAPI.usleep(2500000)
  Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
  ARDOUR.LuaAPI.usleep(500000)
  Session:disable_record(false, false)
  track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
  local proc = ARDOUR.LuaAPI.new_plugin(Session, class, ARDOUR.PluginType.VST3, "")
  assert(not proc:isnil(), "Ardour does not know " .. class)
  assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "not added")
  press(proc, proc:to_insert():plugin(0), "IR_FileSelect")
  -- Long enough for the chosen IR to be in force in every window of the
  -- standard edition (five partitions of 32768 frames).
  ARDOUR.LuaAPI.usleep(4000000)
  ARDOUR.LuaAPI.wait_for_process_callback(20, 2000)
  print("latency " .. proc:signal_latency())
  local export = Session:simple_export()
  export:set_name("render")
  export:set_folder(os.getenv("EXPORT_DIR"))
  assert(export:set_preset(kFloatPreset), "no export preset " .. kFloatPreset)
  assert(export:run_export(), "export failed")
  close_session()
end

if phase == "render" then
  render()
elseif phase == "discover" then
  assert(create_session(dir, "discover", 48000), "no session")
  close_session()
elseif phase == "create" then
  assert(create_session(dir, "check", 48000), "no session")
  local track = Session:new_audio_track(2, 2, nil, 1, "Reverb", ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true):front()
  local proc = ARDOUR.LuaAPI.new_plugin(Session, class, ARDOUR.PluginType.VST3, "")
  assert(not proc:isnil(), "Ardour does not know " .. class)
  assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "not added")
  local plugin = proc:to_insert():plugin(0)
  press(proc, plugin, "IR_FileSelect")
  ARDOUR.LuaAPI.set_processor_param(proc, parameter(plugin, "Decay"), 10.0)
  ARDOUR.LuaAPI.set_processor_param(proc, parameter(plugin, "WetLevel"), -6.0)
  ARDOUR.LuaAPI.wait_for_process_callback(20, 2000)
  print("latency " .. proc:signal_latency())
  Session:save_state("", false, false, false, false, false)
  close_session()
else
  assert(load_session(dir, "check"), "session not loaded")
  local proc = Session:route_by_name("Reverb"):nth_plugin(0)
  assert(not proc:isnil(), "no plug-in on the track")
  local plugin = proc:to_insert():plugin(0)
  print("class " .. plugin:name())
  print("latency " .. proc:signal_latency())
  print("Decay " .. ARDOUR.LuaAPI.get_processor_param(proc, parameter(plugin, "Decay")))
  print("WetLevel " .. ARDOUR.LuaAPI.get_processor_param(proc, parameter(plugin, "WetLevel")))
  press(proc, plugin, "CopyToLocal")
  close_session()
end
